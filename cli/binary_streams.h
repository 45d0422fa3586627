// Standard input and output as bytes, so that both builds read pictures and print lines alike.
#pragma once

// Switches standard input and output to bytes as they come, where the platform would translate
// line ends.
void UseBinaryStandardStreams();
