// The numbers behind the page's status line, read from the program's own state.
#pragma once

// Adds the model time the last idle tick covered to the time elapsed since start-up. The toolkit
// calls it after each idle tick; the program itself keeps no such total.
void countElapsedModelTime();

// The model seconds elapsed since start-up, as the status line shows them; a view opened from a
// link sets them to its own.
double elapsedModelTime();
void setElapsedModelTime(double seconds);
