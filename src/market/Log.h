#pragma once

#include <QLoggingCategory>

// Every diagnostic the program writes goes through this category, and so to
// standard error with a "quotara: " prefix (Qt's default message format).
// Standard output belongs to the command-line modes' JSON.
Q_DECLARE_LOGGING_CATEGORY(quotaraLog)
