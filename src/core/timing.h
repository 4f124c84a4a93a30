#pragma once

#include <QtGlobal>

// Every interval the program waits for, in one value object. The defaults are the real ones;
// tests shrink them so the real state machines run in milliseconds.
struct Timing {
    int slotTickMs = 1000;        // lookup slot timer
    int reconnectTicks = 10;      // a slot reconnects on this tick of its timer
    int runTickMs = 1000;         // a run writes its position at most once per tick
    int lookupDeadlineTicks = 30; // a lookup is given up on this tick of its slot timer
    int checkerTickMs = 1000;     // browser harvester: Timer1 and timTimeout
    int checkerTimeoutTicks = 5;  // browser harvester abandons a lookup on this tick
    int pagePauseMs = 500;        // list builder: pause between result pages
    int splashTickMs = 2;         // splash timer
    int splashTicks = 75;         // the splash hands over on this tick
    int websiteCloseMs = 1000;    // website window closes itself after this
    // Rests before a server is asked again about names it left undecided (the retry pass).
    int throttledRestMs = 60000; // a server that throttled without saying for how long
    int failedRestMs = 10000;    // no reply, a reset, an empty reply, an RDAP error
    int retryAfterUnitMs = 1000; // one second of the rest a throttling server asked for
    // A server that asks for a longer rest than this is not waited for: its names stay unknown
    // (kept in the unknown-names file for a later run) instead of holding the run open.
    int longestRetryWaitMs = 15 * 60 * 1000;

    // Every interval scaled down to `ms` (tick counts stay), for tests.
    static Timing shrunk(int ms) {
        Timing t;
        t.slotTickMs = t.runTickMs = t.checkerTickMs = ms;
        t.pagePauseMs = t.websiteCloseMs = ms;
        t.splashTickMs = 1;
        t.throttledRestMs = 3 * ms;
        t.failedRestMs = ms;
        t.retryAfterUnitMs = qMax(1, ms / 10);
        t.longestRetryWaitMs = 50 * ms;
        return t;
    }
};
