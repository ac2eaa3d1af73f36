#pragma once
// Writes QuickTime / ISO base media boxes byte for byte, for fixtures that tools can't make.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace testsupport {

// Big-endian field builders.
std::string be16(uint16_t v);
std::string be32(uint32_t v);
std::string be64(uint64_t v);

// A box with a 32-bit size; `type` is four characters.
std::string box(const std::string& type, const std::string& payload);
std::string box(const std::string& type, std::initializer_list<std::string> children);
// A full box (version and flags before the payload).
std::string fullBox(const std::string& type, uint8_t version, uint32_t flags, const std::string& payload);
// A box with the 64-bit large-size form.
std::string largeBox(const std::string& type, const std::string& payload);

std::string ftyp(const std::string& majorBrand, std::initializer_list<std::string> compatible = {});
std::string mvhd(uint32_t timeScale, uint64_t duration, uint8_t version = 0);
std::string tkhd(uint32_t trackID, uint64_t duration, bool enabled, double width = 0, double height = 0,
                 uint8_t version = 0);
std::string mdhd(uint32_t timeScale, uint64_t duration, uint8_t version = 0);
std::string hdlr(const std::string& handlerType, const std::string& componentType = std::string("\0\0\0\0", 4));
// A track with the given handler ("vide", "soun", "text" ...).
std::string trak(uint32_t trackID, const std::string& handlerType, bool enabled = true,
                 const std::string& extra = std::string());

}  // namespace testsupport
