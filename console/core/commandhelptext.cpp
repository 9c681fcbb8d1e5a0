#include "console/commandhelptext.h"

namespace {

const char* const kLines[] = {
    "NOTE: In order to use Manual Control Center,",
    "please use standard FTP commands. For ",
    "detailed information, please refor to RFC959.",
    "",
    "USER <SP> <username> <CRLF>            Sends the user name to log in.",
    "PASS <SP> <password> <CRLF>            Sends the user's password.",
    "ACCT <SP> <account-information> <CRLF> Sends the account for the session.",
    "CWD  <SP> <pathname> <CRLF>            Changes the working directory.",
    "CDUP <CRLF>                            Changes to the parent directory.",
    "QUIT <CRLF>                            Logs out and ends the session.",
    "REIN <CRLF>                            Reinitializes the session for a new user.",
    "PORT <SP> <host-port> <CRLF>           Gives the address the server connects to for data.",
    "PASV <CRLF>                            Asks the server to listen for the data connection.",
    "TYPE <SP> <type-code> <CRLF>           Sets the representation type (A, E, I, L).",
    "STRU <SP> <structure-code> <CRLF>      Sets the file structure (F, R, P).",
    "MODE <SP> <mode-code> <CRLF>           Sets the transfer mode (S, B, C).",
    "RETR <SP> <pathname> <CRLF>            Downloads a file.",
    "STOR <SP> <pathname> <CRLF>            Uploads a file, replacing one of that name.",
    "APPE <SP> <pathname> <CRLF>            Uploads a file, appending to one of that name.",
    "REST <SP> <marker> <CRLF>              Restarts the next transfer at the marker.",
    "RNFR <SP> <pathname> <CRLF>            Names the file to be renamed.",
    "RNTO <SP> <pathname> <CRLF>            Gives the new name of the file being renamed.",
    "ABOR <CRLF>                            Aborts the transfer in progress.",
    "DELE <SP> <pathname> <CRLF>            Deletes a file.",
    "RMD  <SP> <pathname> <CRLF>            Removes a directory.",
    "MKD  <SP> <pathname> <CRLF>            Makes a directory.",
    "PWD  <CRLF>                            Prints the working directory.",
    "LIST [<SP> <pathname>] <CRLF>          Lists files with their details.",
    "NLST [<SP> <pathname>] <CRLF>          Lists file names only.",
    "SITE <SP> <string> <CRLF>              Sends a server-specific command.",
    "SYST <CRLF>                            Asks for the server's operating system.",
    "STAT [<SP> <pathname>] <CRLF>          Asks for the status of the server or a file.",
    "HELP [<SP> <string>] <CRLF>            Asks the server for help.",
    "NOOP <CRLF>                            Does nothing; the server answers OK.",
    "",
    "The following is the explanation of the parameters.",
    "<username> ::= <string>",
    "<password> ::= <string>",
    "<account-information> ::= <string>",
    "<string> ::= <char> | <char><string>",
    "<char> ::= any of the 128 ASCII characters except <CR> and <LF>",
    "<marker> ::= <pr-string>",
    "<pr-string> ::= <pr-char> | <pr-char><pr-string>",
    "<pr-char> ::= printable characters, any ASCII code 33 through 126",
    "<byte-size> ::= <number>",
    "<host-port> ::= <host-number>,<port-number>",
    "<host-number> ::= <number>,<number>,<number>,<number>",
    "<port-number> ::= <number>,<number>",
    "<number> ::= any decimal integer 1 through 255",
    "<form-code> ::= N | T | C",
    "<type-code> ::= A [<sp> <form-code>]",
    "              | E [<sp> <form-code>]",
    "              | I",
    "              | L <sp> <byte-size>",
    "<structure-code> ::= F | R | P",
    "<mode-code> ::= S | B | C",
    "<pathname> ::= <string>",
    "<decimal-integer> ::= any decimal",
};

}  // namespace

const char* const* CommandHelpLines(size_t* count)
{
  *count = sizeof(kLines) / sizeof(kLines[0]);
  return kLines;
}
