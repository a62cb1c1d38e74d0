// Building the language table from a 50,000-entry file, and 100,000 lookups in it.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "config/language_table.h"


int main() {
    constexpr int kEntries = 50000, kLookups = 100000, kRounds = 5;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"skelvane-bench-language.txt";

    std::wstring text(1, L'\xFEFF');
    for (int i = 0; i < kEntries; ++i)
        text += L"T_BENCH_KEY_" + std::to_wstring(i) + L" = The text of entry " + std::to_wstring(i) +
                L", with a second line\\nand some more words to make it a typical length\r\n";
    std::ofstream(path.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));

    std::vector<std::string> keys;
    for (int i = 0; i < kLookups; ++i) keys.push_back("T_BENCH_KEY_" + std::to_string((i * 7919) % (kEntries * 2)));

    double bestBuild = 1e9, bestLookup = 1e9;
    size_t hits = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double t0 = nowMs();
        const CLocalize table(path);
        const double t1 = nowMs();
        hits = 0;
        for (const std::string& key : keys) hits += table.translate(key.c_str()).size() > 30;
        const double t2 = nowMs();
        bestBuild = std::min(bestBuild, t1 - t0);
        bestLookup = std::min(bestLookup, t2 - t1);
    }
    DeleteFileW(path.c_str());
    std::printf("language table: build from %d entries (%.1f MB): %.1f ms; %d lookups (%zu hits): %.1f ms "
                "(%.0f ns each); best of %d\n",
                kEntries, text.size() * 2 / 1e6, bestBuild, kLookups, hits, bestLookup,
                bestLookup * 1e6 / kLookups, kRounds);
    return 0;
}
