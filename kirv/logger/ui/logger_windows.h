#pragma once

namespace kirv {

class Panel;

// The logger memory commands of the panel's toolbar, with the panel's timers off around each
// exchange and on again however it ends.

// "Memory": reads the memory pointer and size, shows `Memory` beside the panel, dumps the memory
// with its progress and lists the sets. A silent meter, a dump that stops or a window closed
// during the dump ends with "Error! Try again!"; no half image is listed.
void runLoggerDownload(Panel& panel);

// A click on set s (from 1) of `Memory`: (re)opens DataList with that set.
void openLoggerSet(Panel& panel, int s);

// "Erase": asks, closes `Memory` whatever the answer, and sends "H" on OK.
void eraseLoggerMemory(Panel& panel);

} // namespace kirv
