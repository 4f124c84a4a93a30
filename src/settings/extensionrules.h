#pragma once

#include <QString>

// Input rules of the extension settings window.
namespace ExtensionRules {
// The default extension as kept after editing: "" becomes ".com", a text without any "."
// gets one in front, a text with a "." anywhere is kept as typed.
QString normalizeDefaultExtension(const QString &text);
// A TCP port as typed: a whole number from 1 to 65535, digits only.
bool isValidPort(const QString &text);
// A server as typed: a WHOIS host name, or an http:// or https:// RDAP base URL that names a
// host and has no query or fragment.
bool isValidServer(const QString &text);
} // namespace ExtensionRules
