// Sorts every page x option set into equal, differing by design, or a fault.
import { describe, differences, VIEW_KEYS } from './measure.mjs';
import { expectedDifferences, REASONS } from './expectations.mjs';

// The view of a page in which the given reasons no longer count; for the original page, first
// what the reasons make of it.
function seenThrough(view, reasonIds, isOriginal) {
    const out = { ...view };
    const apply = (part) => {
        for (const id of reasonIds)
            for (const [key, fn] of Object.entries(REASONS[id][part] ?? {})) out[key] = fn(String(out[key]));
    };
    if (isOriginal) apply('original');
    apply('view');
    for (const k of VIEW_KEYS) if (typeof view[k] === 'number') out[k] = view[k];
    return out;
}

export function judge(pages, sets, views) {
    const results = [];
    for (const page of pages) {
        const original = views[page].original;
        for (const set of sets) {
            const converted = views[page][set.id];
            const failed = original.failed || converted.failed;
            if (failed) {
                results.push({ page, set: set.id, status: 'fault', detail: failed, raw: [], reasons: [] });
                continue;
            }
            const reasons = expectedDifferences(page, set.options);
            const raw = differences(original, converted);
            const a = seenThrough(original, reasons, true);
            const b = seenThrough(converted, reasons, false);
            const left = differences(a, b);
            let status = 'by-design';
            let detail = '';
            if (left.length) {
                status = 'fault';
                detail = left.map((k) => describe(k, original[k], converted[k])).join('; ');
            } else if (raw.length === 0) {
                status = reasons.length ? 'fault' : 'equal';
                if (reasons.length)
                    detail = `expected a difference (${reasons.join(', ')}) that did not show`;
            }
            results.push({ page, set: set.id, status, detail, raw, reasons });
        }
    }
    return results;
}
