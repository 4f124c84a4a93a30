#pragma once

#include <QLoggingCategory>

// kestrin.harvest: the list builder, the browser harvester and its checker.
Q_DECLARE_LOGGING_CATEGORY(lcHarvest)
