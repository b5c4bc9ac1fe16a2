#pragma once

namespace skyloom::testing {

// How many times longer a wait may last in a build under AddressSanitizer
// or ThreadSanitizer. Only for bounds that keep a test from waiting forever
// for something it checks happens at all (the saver ends, its player goes),
// and for the time a test lets the saver fly before it looks: the
// sanitizers slow the saver's frames, and AddressSanitizer's allocator
// Mesa's shader compiler, several times over. How fast the saver ends is
// measured in bench/, and limits that are the behaviour under test (the
// first second's input rules, the bail countdown's lower bound) stay as
// they are.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kSanitizerSlowdown = 5;
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif

}  // namespace skyloom::testing
