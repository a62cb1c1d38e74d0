// Resource ids of the launcher. Dialog ids are fixed: tools and tests find the dialogs by them.
#pragma once

#define IDI_SKELVANE 101
