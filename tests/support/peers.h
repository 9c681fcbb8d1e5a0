// Test-side view of the loopback FTP peers that tests/peers/with-peers.sh starts.
#pragma once
#include <string>
#include <vector>

namespace peers {

// An environment value, or "" when unset.
std::string Env(const char* name);
// A port from the environment (ZARN_PYFTPD_PORT, ZARN_SCRIPTED_PORT ...), 0 when unset.
int Port(const char* name);

// Scripted server: the next FTP connections run this scenario. False if refused.
bool Scenario(const std::string& name);
// Scripted server: the command lines the last FTP connection sent.
std::vector<std::string> Received();

// A port on 127.0.0.1 that nobody listens on (bound, then closed).
int UnusedPort();

// Starts Windows Sockets once in a test process (no-op natively).
void StartSockets();

}  // namespace peers
