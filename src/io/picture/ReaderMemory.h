#pragma once

#include <QtGlobal>

// The data limit of the picture reader process (its heap and every private mapping it writes),
// which a reader that allocates without end runs into: the allocation fails and the read is
// refused, instead of the machine's memory filling up.
class ReaderMemory
{
public:
    // Whether limits can apply: the address sanitizer's shadow memory counts as data, so a
    // sanitized reader runs without them (the parent's time limit still holds).
    static bool limitsApply();
    // The process's data in use now (VmData), in bytes; 0 where it cannot be read.
    static qint64 dataInUse();
    // Sets the hard limit (and the soft one with it); false where the system refused.
    static bool setHardLimit(qint64 bytes);
    static qint64 hardLimit();
    // The soft limit, never above the hard one.
    static bool setSoftLimit(qint64 bytes);
    static qint64 softLimit();
    // Shared memory a read holds (its pictures, which the data limit does not see) counts
    // against its limit as its heap does: the soft limit is lowered by as much.
    static void setSharedInUse(qint64 bytes);
    static qint64 sharedInUse();
    // Whether the soft limit asked for has room for `bytes` more of shared memory.
    static bool roomForShared(qint64 bytes);
    // An allocation of operator new failed since the last reset: the read needed more than its
    // limit.
    static void installNewHandler();
    static bool allocationFailed();
    static void resetAllocationFailed();
};
