// Functions the executable exports by name, so tools and tests can reach the launch steps.
#pragma once

#define SKELVANE_EXPORT extern "C" __declspec(dllexport)
