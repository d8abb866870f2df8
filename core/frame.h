// One frame of the run loop.
#pragma once

void OVI_Frame();
void OVI_ResetFrameClock();  // the next frame starts the clock again (tests)
