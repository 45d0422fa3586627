// How long the HTML parser would take over a page's nesting, told before it runs. The parser
// looks through the open elements at many tags (for a <p> to close before each <div>, <ul>,
// <section> ...), so that elements left open one inside the other cost time growing with the
// square of their number: 20000 unclosed <div> take gumbo 5 seconds, 200000 some minutes.
#pragma once

#include <cstdint>
#include <string_view>

// The sum over the page's tags of the elements open at each, as far as a quick reading of the
// tags tells: start tags open elements (but void ones and those that the next of their kind
// closes), end tags close up to the open element of their name.
std::uint64_t NestingWork(std::string_view page);

// The most NestingWork a page may come to: about 2 seconds of gumbo's time at worst (14000
// <div> left open), and 50 times what a page of 100000 tags nested 20 deep comes to.
constexpr std::uint64_t kMaxNestingWork = 100000000;
