#pragma once
// The data of the dog register benchmark: <dogs> with one <dog name breed age
// owner> per dog, each with a <note> child of about twenty words.
#include <cstddef>
#include <cstdint>
#include <iosfwd>

namespace qv::bench {

// Deterministic: the same dogs and seed give the same bytes everywhere.
void WriteDogRegisterData(std::ostream& out, size_t dogs, uint64_t seed);

}  // namespace qv::bench
