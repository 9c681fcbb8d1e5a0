// Test side of the proxies that tests/peers/with-peers.sh starts: the recording
// proxy's control port, and sites that go through a proxy.
#pragma once

#include <string>
#include <vector>

#include "engine/siteitem.h"

namespace proxytest {

// The recording proxy: "MODE <settings>" for the next connections (records
// cleared); true when accepted.
bool Mode(const std::string& settings = "");
// One line per proxy connection since Mode: "socks4 <hex>", "socks5 <hex>",
// "http <hex>" or "ftpuser <USER argument>".
std::vector<std::string> Received();

std::string Hex(const std::string& bytes);
// Two bytes of a port in network order, as hex.
std::string PortHex(int port);

// A site on the pyftpdlib server with its own proxy on 127.0.0.1 (option digit
// 9 = digit).
void SetUpProxiedSite(CSiteItem& site, char digit, int proxyPort, const char* proxyUser = "",
                      const char* proxyPassword = "");

int PyftpdPort();
std::string PyftpdUser();
std::string PyftpdPass();

}  // namespace proxytest
