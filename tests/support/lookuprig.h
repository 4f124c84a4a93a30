#pragma once

#include "core/timing.h"
#include "loopbackwhoisserver.h"
#include "whois/lookuppool.h"
#include "whois/lookuprun.h"
#include "whois/registrartable.h"

#include <memory>
#include <optional>

// A run source over `names`, tagged by their index; `*next` counts the names read.
inline LookupRun::Source listSource(const QStringList &names, int *next) {
    return [names, next]() -> std::optional<LookupItem> {
        if (*next >= names.size())
            return std::nullopt;
        const int index = (*next)++;
        return LookupItem{names.at(index), index};
    };
}

// One lookupEnded() of a run, as a test records it.
struct Ended {
    qint64 tag;
    LookupOutcome outcome;
    bool settled;
};

// The loopback fixture of the lookup suites: a WHOIS server on loopback, a registrar table
// whose .com and .net rows point at it, and a pool that asks it (reconnections included).
struct LookupRig {
    LoopbackWhoisServer server;
    RegistrarTable table;
    WhoisOptions options;
    Timing timing;
    std::unique_ptr<LookupPool> pool;

    explicit LookupRig(int tickMs = 20, int slotCount = LookupPool::SlotCount)
        : timing(Timing::shrunk(tickMs)) {
        started = server.start();
        table.setRows({RegistrarEntry{"com", "127.0.0.1", server.port(), true},
                       RegistrarEntry{"net", "127.0.0.1", server.port(), true}});
        makePool(slotCount);
    }
    // A new pool of `slotCount` slotCount, for a timing changed after construction.
    void makePool(int slotCount) {
        pool = std::make_unique<LookupPool>(timing, nullptr, slotCount);
        pool->setReconnectPort(server.port());
    }

    bool started = false;
};
