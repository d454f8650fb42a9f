#include "app/zip_library.h"

#include <dlfcn.h>

#include "build_info.h"

namespace vn {
namespace {

template <class Function>
bool bind(void* library, const char* symbol, Function& out) {
  out = reinterpret_cast<Function>(::dlsym(library, symbol));
  return out != nullptr;
}

// Null when the library cannot be loaded completely.
const ZipLibrary* load() {
  static ZipLibrary functions;
  void* library = ::dlopen(TARNWICK_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  ZipLibrary& f = functions;
  const bool bound = bind(library, "zip_open", f.open) && bind(library, "zip_fdopen", f.fdopen) &&
                     bind(library, "zip_close", f.close) &&
                     bind(library, "zip_discard", f.discard) && bind(library, "zip_get_error", f.getError) &&
                     bind(library, "zip_error_code_zip", f.errorCodeZip) &&
                     bind(library, "zip_get_num_entries", f.getNumEntries) &&
                     bind(library, "zip_stat_init", f.statInit) && bind(library, "zip_stat_index", f.statIndex) &&
                     bind(library, "zip_file_get_external_attributes", f.fileGetExternalAttributes) &&
                     bind(library, "zip_fopen_index", f.fopenIndex) && bind(library, "zip_fread", f.fread) &&
                     bind(library, "zip_fclose", f.fclose) && bind(library, "zip_source_file", f.sourceFile) &&
                     bind(library, "zip_source_free", f.sourceFree) && bind(library, "zip_file_add", f.fileAdd) &&
                     bind(library, "zip_dir_add", f.dirAdd);
  // The library stays loaded for the rest of the run.
  return bound ? &functions : nullptr;
}

}  // namespace

const ZipLibrary* zipLibrary() {
  static const ZipLibrary* const loaded = load();
  return loaded;
}

std::string zipLibraryMissing() {
  return std::string("The zip library \"") + TARNWICK_LIBZIP_SONAME + "\" cannot be loaded.";
}

}  // namespace vn
