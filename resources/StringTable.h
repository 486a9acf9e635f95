// The program's ordinary string table: the few fixed English texts. Included by
// Vellicor.rc and by the portable side, so both builds hold the same texts.
#pragma once

#define IDS_INTERNAL_ERROR 10000
#define IDS_CONFIG_NOT_OPENED 10001
#define IDS_INVALID_LANGUAGE 10002
#define IDS_REGISTRY_OPEN_FAILED 10003
#define IDS_REGISTRY_DISPOSITION 10004
#define IDS_ERROR_LOCATION 10005
#define IDS_CONFIG_NOT_READ 10006
#define IDS_DEFAULT_EXPORT_NAME 20000
#define IDS_CATALOG_FILE_FILTER 20001

#define TXT_INTERNAL_ERROR "Internal error encountered."
#define TXT_CONFIG_NOT_OPENED "Configuration file could not be opened!\n\nFile: %s"
#define TXT_INVALID_LANGUAGE "Invalid language specified!\nDefaulting to English."
#define TXT_REGISTRY_OPEN_FAILED "Registry Create/Open failed for the Paper Catalog."
#define TXT_REGISTRY_DISPOSITION "Invalid Registry Create disposition"
#define TXT_CONFIG_NOT_READ "Configuration file exists but could not be read!\n\nFile: %s"
#define TXT_ERROR_LOCATION "%s\n\nFile: %s\nLine: %d"
#define TXT_DEFAULT_EXPORT_NAME "Paper Catalog.cat"
#define TXT_CATALOG_FILE_FILTER "Paper Catalog   (*.cat)|*.cat|All Files   (*.*)|*.*||"
