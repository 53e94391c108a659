#pragma once

// Host-facing types keep default visibility even inside a plug-in built with
// hidden visibility: the host makes values, the plug-in downcasts them, and that
// only works when both sides agree on one type_info per class.
#define RG_API __attribute__((visibility("default")))
