#pragma once

#include "core/domainname.h"

class RegistrarTable;

// The extensions a name may end in, as far as Kestrin's own data tells: those of the registrar
// table's rows (a row "co.uk" counts for "uk") and those of the shipped RDAP bootstrap. The
// table is read at each call, so rows loaded later count.
namespace DelegatedExtensions {
DomainName::Delegated fromTableAndBootstrap(const RegistrarTable &table);
} // namespace DelegatedExtensions
