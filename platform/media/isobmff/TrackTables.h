#pragma once
// Track references, edit lists and sample tables of a "trak" box.
#include <memory>

#include "Box.h"
#include "platform/media/MovieDescription.h"

namespace platform::media::isobmff {

// Track IDs of the first "chap" reference under tref.
std::vector<uint32_t> readChapterReferences(const FileReader& file, const Box& tref);
// Entries of edts/elst; false when the box can't be read.
bool readEditList(const FileReader& file, const Box& elst, std::vector<EditSegment>& out);
// stts, stsc, stsz/stz2, stco/co64, ctts and stss of an stbl box; null when the timing table is missing.
std::shared_ptr<const SampleTable> readSampleTable(const FileReader& file, const Box& stbl);

}  // namespace platform::media::isobmff
