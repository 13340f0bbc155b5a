#pragma once
// `bookpack search FILE [--limit N] QUERY...`: the reader's book search on
// the command line. One line per hit, best first: page number, name and a
// snippet with the matched words between asterisks. Exit status 0 with
// hits, 1 with none, 2 for usage or I/O errors.

namespace bookpack {

// argv[0] is "search"; the rest are its operands.
int SearchCommand(int argc, char** argv);

}  // namespace bookpack
