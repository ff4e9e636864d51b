// The detector tick bound to MainWindow's timer: scan, measure, and sign in
// at every window with the sign-in dialog's proportion.
#pragma once

void detector_tick();
