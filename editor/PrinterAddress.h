// The printer address remembered for a configured catalog, so that the next
// Get Media from Printer offers it again: the key PrinterUri_NN of the
// configuration file, beside the Catalog_NN, PDL_NN and Registry_NN that
// configure the catalog, in the same section. Portable: tested natively.
#pragma once

#include <string>

// "PrinterUri_01" for the first configured catalog (numbered as Catalog_NN).
std::string PrinterUriKey(size_t catalogIndex);

// The address remembered for the configured catalog `catalogName`, read from
// AppState.ConfigurationFile now (another window may have remembered one
// since start-up); empty when there is none or the catalog is not configured.
std::string RememberedPrinterUri(const std::string& catalogName);

enum class RememberOutcome { Written, NotConfigured, Failed };

// Writes the address for `catalogName` after its Registry_NN line, every other
// byte of the file kept.
// NotConfigured: the catalog has no section to keep it in (an untitled or
// imported one). Failed: `error` receives the system's error code (0 when the
// file cannot be edited in place, a UTF-16 file).
RememberOutcome RememberPrinterUri(const std::string& catalogName, const std::string& uri, long* error);
