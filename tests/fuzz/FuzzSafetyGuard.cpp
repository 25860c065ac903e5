// The deletion guard's judgement of a path given as text. Crashes matter less here than wrong answers:
// every answer is checked against where the path really is (test::GuardOracle).

#include "core/removal/SafetyGuard.h"

#include "FuzzCheck.h"
#include "support/GuardOracle.h"

namespace {

// The shared guard home, built once; the guard only ever looks at it.
const brisklet::test::GuardOracle& oracle() {
    static const brisklet::test::GuardHome home;
    static const brisklet::test::GuardOracle o(home);
    return o;
}

} // namespace

FUZZ_TEXT_HARNESS(input) {
    const auto& o = oracle();
    // A relative path is never admitted. An absolute one is taken inside the fixture, so that the
    // fuzzer explores the links there rather than the real file system (which ".." and the links to
    // "/" still reach, for looking only).
    const std::string text = o.root + (input.starts_with('/') ? "" : "/") + std::string(input);
    for (int layout = 0; layout < 2; ++layout) {
        FUZZ_CHECK(o.rootsAgree(layout));
        if (!input.starts_with('/')) FUZZ_CHECK(!SafetyGuard::admitText(input, o.guardRoots[layout]));
        const std::string problem = o.problem(text, layout);
        if (!problem.empty()) std::fprintf(stderr, "%s: %s\n", problem.c_str(), text.c_str());
        FUZZ_CHECK(problem.empty());
    }
}
