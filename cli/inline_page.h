// korvi-cli --inline: a page or style sheet with its small local pictures as data URIs.
#pragma once

#include "cli/options.h"

// Writes the page of options.inlinePage to standard output or -o FILE with each local picture
// whose picture fits --inline-limit in place of its address, converting each picture once on up
// to `workers` threads; lists on standard error what stays a link and why, and ends with a line
// of counts. 0, or 1 when the page cannot be read or written (and nothing is written).
int InlinePage(const CliOptions& options, unsigned workers);
