#include "layout/feature_listing.h"

namespace otl {

namespace {
const char* const kTooManyEntries = "the language systems would keep more than ";
const char* const kTooManyEntriesEnd = " features, lookup indices and parameters (shared or repeated listings)";
const char* const kRepeats = "a language system lists a feature again (the same record, or another of its tag); "
                             "each lookup is kept once per feature (listings trimmed: ";
}  // namespace

FeatureListing::FeatureListing(uint64_t inputBytes, uint64_t spent)
    : limit_(ot::limits::featureEntriesBudget(inputBytes)), left_(limit_) {
  charge(spent);
}

void FeatureListing::startLanguage() {
  listed_.clear();
  charge(ot::limits::kEntriesPerFeatureNode);
}

bool FeatureListing::firstListing(uint32_t record) {
  if (listed_.insert(record).second) return true;
  ++repeats_;
  return false;
}

std::string FeatureListing::repeatsNote() const {
  return repeats_ == 0 ? std::string() : kRepeats + std::to_string(repeats_) + ")";
}

void FeatureListing::charge(uint64_t entries) {
  if (entries > left_) {
    left_ = 0;
    throw ot::Exception(ot::Exception::kReadFailed, kTooManyEntries + std::to_string(limit_) + kTooManyEntriesEnd);
  }
  left_ -= entries;
}

}  // namespace otl
