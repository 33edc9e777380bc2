#pragma once
// A TCP port of 127.0.0.1 that nothing listens on now, for a server the tests
// start (the system picks it; another program could still take it in between).
int FreeTcpPort();
// Whether something accepts connections on the port of 127.0.0.1.
bool AcceptsConnections(int port);
