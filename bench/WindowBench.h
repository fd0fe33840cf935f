#pragma once

// The window (TProgForm) on the offscreen platform, on the simulated AT89S52 behind a
// 4800-baud line, clicked as a user would: prints each figure beside its floor and returns
// true when every one met its target and every operation did what it should. Makes the
// program's QApplication itself, so it runs with no other one alive.
bool WindowOnTheLine();
