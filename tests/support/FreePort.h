#pragma once
// A TCP port of 127.0.0.1 that nothing listens on now, for a server the tests
// start (the system picks it; another program could still take it in between).
int FreeTcpPort();
// Whether something accepts connections on the port of 127.0.0.1.
bool AcceptsConnections(int port);
// Whether a socket listens on the port of 127.0.0.1 (or of every address),
// seen in the kernel's table without connecting: a connection would already
// make some servers act (a serial device server opens its device).
bool ListensOn(int port);
