#pragma once

#include <optional>

// ssh runs this program itself as its askpass helper (SSH_ASKPASS) with this
// variable naming the socket on which the running program answers. main()
// hands over to answerSshAskpass() before anything else.
inline constexpr char kAskpassSocketVariable[] = "QUENMARK_SSH_ASKPASS";

// Requests on that socket: a 4-byte big-endian length, then the value of
// SSH_ASKPASS_PROMPT, a line break and ssh's prompt. The reply is 'Y' and the
// answer, or 'N' for no answer; the program then closes the socket.
inline constexpr unsigned kAskpassRequestLimit = 64 * 1024;

// When the process runs as ssh's askpass helper: hands ssh's prompt (argv[1])
// to the program, prints the answer for ssh and returns the exit code (0
// answered, 1 refused or no program to ask). Nothing otherwise. The answer
// passes only through the socket and the pipe to ssh, never a file, the
// command line or an environment.
std::optional<int> answerSshAskpass(int argc, char *argv[]);
