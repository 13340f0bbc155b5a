#pragma once
// A measuring probe for the side-by-side benchmark in bench/. It is attached
// only when the environment variable READER_BENCH is set, so a reader's
// normal run pays one environment look-up and nothing else.
//
// While attached, every finished load of a page file prints one line to
// standard output, "loaded NS OK" (NS: steady clock in nanoseconds, the
// clock a parent process shares), the window's first paint prints
// "painted NS" once it has reached the screen, and standard input takes
// commands, one a
// line: "list N" picks page N through the page list as a click would,
// "grab FILE" saves the window's pixels as shown on screen, "indexed"
// answers "indexed 1" once the book search index is ready ("indexed 0"
// before), "type TEXT" presses each character into the book search field
// and answers "typed NS ROWS" per key (press to list drawn), "quit" ends.
namespace reader {

class Form1;

// Attaches the probe when READER_BENCH is set; returns whether it did.
bool AttachBenchProbeIfAsked(Form1& window);

}  // namespace reader
