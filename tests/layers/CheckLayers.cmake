# Fails when a folder includes what its layer may not use:
#   cmake -DROOT=<source tree> -P CheckLayers.cmake
# Each folder may include its own headers and those of the folders below it;
# the standard-library-only folders include no Qt and no operating-system
# header. A subfolder that is a platform or toolkit binding has its own entry.

# folder -> project folders it may include (besides itself)
set(may_base "")
set(may_protocol "base")
set(may_link "protocol;base")
set(may_serial "base")
set(may_serial/posix "serial;base")
set(may_serial/win32 "serial;base")
set(may_session "serial;link;protocol;base")
# Qt's event loop as the main-thread wake of the Qt programs.
set(may_qtloop "serial;base")
set(may_archive "link;protocol;base")
# The simulator's line side lists the ports with the serial component's discovery.
set(may_sim "protocol;serial;base")
set(may_views "link;protocol;base")
set(may_views/history "views;link;protocol;base")
set(may_views/live "views;link;protocol;base")
set(may_settings "views;link;protocol;base")
set(may_settings/input "link;protocol;base")
set(may_shell "settings;views;session;qtloop;serial;archive;link;protocol;base")
set(may_bridge "session;qtloop;serial;archive;link;protocol;base")
set(may_tools/poll "session;serial;link;protocol;base")
set(folders base protocol link serial serial/posix serial/win32 session qtloop archive sim
            views views/history views/live settings settings/input shell bridge tools/poll)
# Bindings are reached only through their folder's interface: nobody names
# them but those listed above (a plain subfolder counts as its parent).
set(bindings serial/posix serial/win32)

# Folders whose code is the standard library only (their binding subfolders aside).
set(plain_folders base protocol link serial session archive settings/input tools/poll)

# Headers of the operating systems; the C++ headers of the same things are <c...>.
set(system_headers "unistd|fcntl|termios|poll|pty|pthread|dirent|dlfcn|signal|syslog|errno|spawn|pwd|grp|libgen|sched|semaphore|utime|windows|winbase|winioctl|winsock2|ws2tcpip|io|direct|process|shlobj|sys/[a-z_]+|linux/[a-z_]+|asm/[a-z_]+|netinet/[a-z_]+|arpa/[a-z_]+")

set(failures "")

# Whether code in `folder` may include a header of `used`.
function(may_use folder used result)
  set(${result} FALSE PARENT_SCOPE)
  foreach(entry ${folder} ${may_${folder}})
    list(FIND bindings ${used} binding)
    if(used STREQUAL entry OR (binding EQUAL -1 AND used MATCHES "^${entry}/"))
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

foreach(folder ${folders})
  file(GLOB sources RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  list(FIND plain_folders ${folder} plain)
  foreach(source ${sources})
    file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(header ${CMAKE_MATCH_1})
        if(NOT header MATCHES "/")
          continue()  # beside the source
        endif()
        string(REGEX REPLACE "/[^/]+$" "" header_folder ${header})
        if(header_folder STREQUAL folder)
          continue()
        endif()
        may_use(${folder} ${header_folder} allowed)
        if(NOT allowed)
          list(APPEND failures "${source}: ${folder}/ may not use ${header_folder}/ (${header})")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>" AND NOT plain EQUAL -1)
        set(header ${CMAKE_MATCH_1})
        if(header MATCHES "^Q" OR header MATCHES "^(${system_headers})\\.h$")
          list(APPEND failures "${source}: ${folder}/ is standard library only (<${header}>)")
        endif()
        if(header STREQUAL "sqlite3.h" AND NOT folder STREQUAL "archive")
          list(APPEND failures "${source}: only archive/ uses SQLite (<${header}>)")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "include arrows that go against the layers:\n  ${text}")
endif()
message(STATUS "layers: every include follows the layers")
