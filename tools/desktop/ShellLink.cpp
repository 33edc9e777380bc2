#include "tools/desktop/ShellLink.h"

#include <QFile>

namespace {

// The shortcut's header and the flags that say which parts follow it.
constexpr int HeaderSize = 0x4C;
constexpr int FlagsOffset = 0x14;
constexpr quint32 HasTargetIdList = 1u << 0, HasLinkInfo = 1u << 1, HasName = 1u << 2, HasRelativePath = 1u << 3,
                  HasWorkingFolder = 1u << 4, IsUnicode = 1u << 7;

class Reader {
public:
  explicit Reader(QByteArray bytes) : bytes_(std::move(bytes)) {}
  bool Has(qsizetype at, qsizetype size) const { return at >= 0 && size >= 0 && at + size <= bytes_.size(); }
  quint32 U16(qsizetype at) const { return Has(at, 2) ? quint8(bytes_[at]) | quint8(bytes_[at + 1]) << 8 : 0; }
  quint32 U32(qsizetype at) const { return U16(at) | U16(at + 2) << 16; }
  // A zero-ended text in the local code page (Latin-1 is enough for a path test).
  QString Narrow(qsizetype at) const {
    const qsizetype end = bytes_.indexOf('\0', at);
    return end < 0 ? QString() : QString::fromLatin1(bytes_.mid(at, end - at));
  }
  // A counted text of the string part; returns where the next one starts.
  qsizetype Counted(qsizetype at, bool unicode, QString* text) const {
    const qsizetype count = U16(at), size = count * (unicode ? 2 : 1);
    if (!Has(at + 2, size)) return -1;
    if (text != nullptr)
      *text = unicode ? QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes_.constData() + at + 2), count)
                      : QString::fromLatin1(bytes_.mid(at + 2, count));
    return at + 2 + size;
  }

private:
  QByteArray bytes_;
};

}  // namespace

std::optional<ShellLinkTarget> ReadShellLink(const QString& file) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
  const Reader r(in.readAll());
  if (!r.Has(0, HeaderSize) || r.U32(0) != HeaderSize) return std::nullopt;
  const quint32 flags = r.U32(FlagsOffset);
  qsizetype at = HeaderSize;
  if (flags & HasTargetIdList) at += 2 + r.U16(at);
  if (!(flags & HasLinkInfo)) return std::nullopt;
  ShellLinkTarget target;
  target.Path = r.Narrow(at + r.U32(at + 16));  // LocalBasePathOffset
  at += r.U32(at);                              // LinkInfoSize
  const bool unicode = flags & IsUnicode;
  for (quint32 part : {HasName, HasRelativePath, HasWorkingFolder}) {
    if (!(flags & part) || at < 0) continue;
    at = r.Counted(at, unicode, part == HasWorkingFolder ? &target.WorkingFolder : nullptr);
  }
  if (target.Path.isEmpty()) return std::nullopt;
  return target;
}
