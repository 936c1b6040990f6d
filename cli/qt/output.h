// Where vantrel-cli's words go: standard output holds only the result, each
// failure is one line on standard error. A reader that goes away (a pipe
// closed early: `watch | head`) ends the program quietly, with 0.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Writes `text` to standard output and hands it on at once (every row of a
// watch reaches its reader as it comes). False once standard output cannot
// take more: its reader went away, or it refused (a full disk).
bool Print(std::string_view text);
// Standard output's reader went away (EPIPE).
bool OutputClosed();
// Why standard output refused, other than a reader gone; "" none.
const std::string& OutputFailure();

// "vantrel-cli: <line>" on standard error.
void Complain(const std::string& line);

// The exit status after everything was written: a reader gone ends with 0
// (it had what it wanted), a refused standard output with 4.
int FinalStatus(int status);

}  // namespace cli
