// korvi-cli interrupted (Ctrl+C, a closed terminal, a request to terminate): the work folders
// in use and the unfinished replacement of -o FILE are removed before the process ends the way
// the interruption asks. Where no thread can be started to watch, an interruption ends the process
// at once and they stay behind.
#pragma once

// Starts watching for interruptions; called once, before any work folder exists. Writing to a
// closed pipe or past a file-size limit then fails the write instead of ending the process.
void WatchForInterruptions();
