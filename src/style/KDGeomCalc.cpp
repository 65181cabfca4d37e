#include "style/KDGeomCalc.h"

#include <algorithm>
#include <cstdint>

namespace {

using Fixed64 = std::int64_t;

Fixed64 toFixed(int i)
{
    return Fixed64(i) * 256;
}

int fRound(Fixed64 i)
{
    return (i % 256 < 128) ? int(i / 256) : int(1 + i / 256);
}

} // namespace

void kdGeomCalc(QVector<KDLayoutStruct>& chain, int start, int count, int pos, int space, int spacer)
{
    int cHint = 0;
    int cMin = 0;
    int sumStretch = 0;
    int sumSpacing = 0;
    int spacerCount = 0;
    bool wannaGrow = false;
    bool allEmptyNonstretch = true;
    int pendingSpacing = -1;

    for (int i = start; i < start + count; ++i) {
        KDLayoutStruct& data = chain[i];
        data.done = false;
        cHint += data.smartSizeHint();
        cMin += data.minimumSize;
        sumStretch += data.stretch;
        if (!data.empty) {
            if (pendingSpacing >= 0) {
                sumSpacing += pendingSpacing;
                ++spacerCount;
            }
            pendingSpacing = data.effectiveSpacer(spacer);
        }
        wannaGrow = wannaGrow || data.expansive || data.stretch > 0;
        allEmptyNonstretch = allEmptyNonstretch && !wannaGrow && data.empty;
    }

    int extraspace = 0;

    if (space < cMin + sumSpacing) {
        // Below the minimum: share the deficit so the smallest entries suffer least.
        const int minWithSpacing = cMin + sumSpacing;
        if (spacer >= 0) {
            spacer = minWithSpacing > 0 ? spacer * space / minWithSpacing : 0;
            sumSpacing = spacer * spacerCount;
        }
        QVector<int> sorted;
        sorted.reserve(count);
        for (int i = start; i < start + count; ++i)
            sorted.append(chain.at(i).minimumSize);
        std::sort(sorted.begin(), sorted.end());

        const int spaceLeft = space - sumSpacing;
        int sum = 0;
        int idx = 0;
        int spaceUsed = 0;
        int current = 0;
        while (idx < count && spaceUsed < spaceLeft) {
            current = sorted.at(idx);
            spaceUsed = sum + current * (count - idx);
            sum += current;
            ++idx;
        }
        --idx;
        const int deficit = spaceUsed - spaceLeft;
        const int items = count - idx;
        const int deficitPerItem = deficit / items;
        const int remainder = deficit % items;
        const int maxval = current - deficitPerItem;

        int rest = 0;
        for (int i = start; i < start + count; ++i) {
            int maxv = maxval;
            rest += remainder;
            if (rest >= items) {
                --maxv;
                rest -= items;
            }
            KDLayoutStruct& data = chain[i];
            data.size = std::min(data.minimumSize, maxv);
            data.done = true;
        }
    } else if (space < cHint + sumSpacing) {
        // Between minimum and preferred: take the overdraft from every entry alike, never
        // below an entry's minimum.
        int n = count;
        const int spaceLeft = space - sumSpacing;
        int overdraft = cHint - spaceLeft;

        for (int i = start; i < start + count; ++i) {
            KDLayoutStruct& data = chain[i];
            if (data.minimumSize >= data.smartSizeHint()) {
                data.size = data.smartSizeHint();
                data.done = true;
                --n;
            }
        }
        bool finished = n == 0;
        while (!finished) {
            finished = true;
            const Fixed64 fpOver = toFixed(overdraft);
            Fixed64 fpW = 0;
            for (int i = start; i < start + count; ++i) {
                KDLayoutStruct& data = chain[i];
                if (data.done)
                    continue;
                fpW += fpOver / n;
                const int w = fRound(fpW);
                data.size = data.smartSizeHint() - w;
                fpW -= toFixed(w);
                if (data.size < data.minimumSize) {
                    data.done = true;
                    data.size = data.minimumSize;
                    finished = false;
                    overdraft -= data.smartSizeHint() - data.minimumSize;
                    --n;
                    break;
                }
            }
        }
    } else {
        // Extra space: entries that cannot or should not grow keep their hint; the others share
        // the rest by stretch, bounded by their hints and maxima.
        int n = count;
        int spaceLeft = space - sumSpacing;
        for (int i = start; i < start + count; ++i) {
            KDLayoutStruct& data = chain[i];
            if (!data.done
                && (data.maximumSize <= data.smartSizeHint()
                    || (wannaGrow && !data.expansive && data.stretch == 0)
                    || (!allEmptyNonstretch && data.empty && !data.expansive && data.stretch == 0))) {
                data.size = data.smartSizeHint();
                data.done = true;
                spaceLeft -= data.size;
                sumStretch -= data.stretch;
                --n;
            }
        }
        extraspace = spaceLeft;

        int surplus;
        int deficit;
        do {
            surplus = deficit = 0;
            const Fixed64 fpSpace = toFixed(spaceLeft);
            Fixed64 fpW = 0;
            for (int i = start; i < start + count; ++i) {
                KDLayoutStruct& data = chain[i];
                if (data.done)
                    continue;
                extraspace = 0;
                if (sumStretch > 0)
                    fpW += (fpSpace * data.stretch) / sumStretch;
                else
                    fpW += fpSpace / n;
                const int w = fRound(fpW);
                data.size = w;
                fpW -= toFixed(w);
                if (w < data.smartSizeHint())
                    deficit += data.smartSizeHint() - w;
                else if (w > data.maximumSize)
                    surplus += w - data.maximumSize;
            }
            if (deficit > 0 && surplus <= deficit) {
                for (int i = start; i < start + count; ++i) {
                    KDLayoutStruct& data = chain[i];
                    if (!data.done && data.size < data.smartSizeHint()) {
                        data.size = data.smartSizeHint();
                        data.done = true;
                        spaceLeft -= data.smartSizeHint();
                        sumStretch -= data.stretch;
                        --n;
                    }
                }
            }
            if (surplus > 0 && surplus >= deficit) {
                for (int i = start; i < start + count; ++i) {
                    KDLayoutStruct& data = chain[i];
                    if (!data.done && data.size > data.maximumSize) {
                        data.size = data.maximumSize;
                        data.done = true;
                        spaceLeft -= data.maximumSize;
                        sumStretch -= data.stretch;
                        --n;
                    }
                }
            }
        } while (n > 0 && surplus != deficit);
        if (n == 0)
            extraspace = spaceLeft;
    }

    // Spare space goes into the gaps before the first entry and after every entry that
    // takes spacing.
    const int extra = extraspace / (spacerCount + 2);
    int p = pos + extra;
    for (int i = start; i < start + count; ++i) {
        KDLayoutStruct& data = chain[i];
        data.pos = p;
        p += data.size;
        if (!data.empty && data.maximumSize > 0)
            p += data.effectiveSpacer(spacer) + extra;
    }
}
