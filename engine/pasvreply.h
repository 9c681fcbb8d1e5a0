// The data address of a passive-mode ("227") reply.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest address text: "255.255.255.255" and its NUL.
constexpr size_t kPasvAddrSize = 16;

// Reads "h1,h2,h3,h4,p1,p2" from a 227 reply line (the code may lead it). The
// numbers start after the first '(' or, with none, at the first digit after the
// code. Exactly six numbers of one to three digits, each 0..255, separated by
// commas (blanks around a comma are allowed), and no digit or comma right after
// the sixth; the port p1 * 256 + p2 must not be 0.
// On success addr holds "h1.h2.h3.h4" and *port the port; on failure addr is ""
// and *port 0. addrSize below kPasvAddrSize is a failure.
bool ParsePasvReply(const char* reply, char* addr, size_t addrSize, int32_t* port);
