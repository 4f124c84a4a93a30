#include "core/corelog.h"

Q_LOGGING_CATEGORY(lcCore, "kestrin.core", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLists, "kestrin.lists", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "kestrin.settings", QtInfoMsg)
