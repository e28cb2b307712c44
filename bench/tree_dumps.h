// The recognition trees of the example parts and the benchmark plates written as the debug dumps, so that
// a change to recognition can be checked for trees identical before and after (compare the folders).
#pragma once
#include <string>

namespace bench {

// Into `folder`/<part>/: for every example part the dumps of the recognition command; for each plate
// (`plates` holes each) the stage dumps and the opaque check's tree. Returns the number of parts that
// could not be opened.
int dumpTrees(const std::string& folder, const std::string& plates);

}  // namespace bench
