#pragma once

// The standard streams of a program, made safe before it opens anything. Implemented once
// per OS (StandardStreamsPosix.cpp, StandardStreamsWin32.cpp).
//
// A program started with a standard stream closed (`isp89-cli write x.bin >&-`) would hand
// that descriptor's number to the next thing it opens: the port would become the standard
// output, and the program's own messages would go down the line into the chip. So each of
// descriptors 0, 1 and 2 that is closed is opened on the null device, for reading only: the
// number is taken, and a write to it still fails (EBADF) as on the closed stream, so that the
// program notices and says so in its exit status.
//
// A write to a pipe whose reader has gone (`isp89-cli read - | head -c 16`) fails with EPIPE
// instead of ending the program with SIGPIPE: the program ends its own way, port closed.
//
// On Windows, where a port is a handle and never a descriptor, the console is told to show
// UTF-8, and the standard output is made binary, so that no LF of an image becomes CR LF.
void PrepareStandardStreams();

// Whether the standard error goes to a terminal.
bool StandardErrorIsTerminal();
