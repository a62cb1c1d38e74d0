// A drop-down list as data: the entries a combo box gets and the one to select. The settings
// dialog only copies these into its controls; the rules that build them need no window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One entry: its text and the number kept with it (CB_SETITEMDATA).
struct ListEntry {
    std::wstring text;
    LONG_PTR data;
};

struct ChoiceList {
    std::vector<ListEntry> entries;
    int chosen = -1;  // index into entries; -1 when the list is empty

    // Chooses the entry whose data is wanted, else the first.
    void choose(LONG_PTR wanted) {
        chosen = entries.empty() ? -1 : 0;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].data == wanted) {
                chosen = static_cast<int>(i);
                break;
            }
    }
    // The chosen entry's data; fallback when the list is empty.
    LONG_PTR chosenData(LONG_PTR fallback = -1) const { return chosen >= 0 ? entries[chosen].data : fallback; }
};
