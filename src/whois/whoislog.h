#pragma once

#include <QLoggingCategory>

// kestrin.whois: the registrar table, lookups and their verdicts, the viewer.
Q_DECLARE_LOGGING_CATEGORY(lcWhois)
