// libzip, loaded when an archive is first packed or unpacked rather than at every start:
// the library brings a large cryptography library whose symbol binding costs each run of
// the program about two milliseconds, archives or not.
#pragma once

#include <zip.h>

#include <string>

namespace vn {

struct ZipLibrary {
  decltype(&::zip_open) open = nullptr;
  decltype(&::zip_fdopen) fdopen = nullptr;
  decltype(&::zip_close) close = nullptr;
  decltype(&::zip_discard) discard = nullptr;
  decltype(&::zip_get_error) getError = nullptr;
  decltype(&::zip_error_code_zip) errorCodeZip = nullptr;
  decltype(&::zip_get_num_entries) getNumEntries = nullptr;
  decltype(&::zip_stat_init) statInit = nullptr;
  decltype(&::zip_stat_index) statIndex = nullptr;
  decltype(&::zip_file_get_external_attributes) fileGetExternalAttributes = nullptr;
  decltype(&::zip_fopen_index) fopenIndex = nullptr;
  decltype(&::zip_fread) fread = nullptr;
  decltype(&::zip_fclose) fclose = nullptr;
  decltype(&::zip_source_file) sourceFile = nullptr;
  decltype(&::zip_source_free) sourceFree = nullptr;
  decltype(&::zip_file_add) fileAdd = nullptr;
  decltype(&::zip_dir_add) dirAdd = nullptr;
};

// The library's functions, loaded on first use; null when the library or one of its
// functions cannot be found.
const ZipLibrary* zipLibrary();

// Message for a run that needs the library and cannot load it.
std::string zipLibraryMissing();

}  // namespace vn
