#pragma once
// Small PE images for tests: a PE32 (or PE32+) file with one ".rsrc" section, with or without a
// version resource (VS_VERSIONINFO with its VS_FIXEDFILEINFO).
#include <cstdint>
#include <optional>
#include <string>

namespace testing_support {

struct PeVersionFields {
    uint32_t fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
};

// `resourceType` is the type id of the one resource (16 is RT_VERSION); without a version the
// image has no resource directory at all unless `resourceType` names another type.
inline std::string makePeImage(std::optional<PeVersionFields> version, uint32_t resourceType = 16,
                               bool pe32Plus = false) {
    std::string image(0x200, '\0');
    auto put16 = [](std::string& s, size_t at, uint32_t v) {
        if (s.size() < at + 2) s.resize(at + 2);
        s[at] = char(v);
        s[at + 1] = char(v >> 8);
    };
    auto put32 = [&](std::string& s, size_t at, uint32_t v) {
        put16(s, at, v & 0xFFFF);
        put16(s, at + 2, v >> 16);
    };
    const uint32_t peOffset = 0x40, optionalSize = pe32Plus ? 240 : 224, sectionRva = 0x1000,
                   rawOffset = 0x200;
    const uint32_t directories = pe32Plus ? 112 : 96;
    image[0] = 'M';
    image[1] = 'Z';
    put32(image, 0x3C, peOffset);
    image.replace(peOffset, 4, std::string("PE\0\0", 4));
    const size_t coff = peOffset + 4, optional = coff + 20;
    put16(image, coff, 0x14C);       // i386
    put16(image, coff + 2, 1);       // one section
    put16(image, coff + 16, optionalSize);
    put16(image, coff + 18, pe32Plus ? 0x22 : 0x102);
    put16(image, optional, pe32Plus ? 0x20B : 0x10B);
    put32(image, optional + directories - 4, 16);  // number of data directories

    std::string rsrc;
    if (version || resourceType != 16) {
        // Three directory levels (type, name, language), a data entry, then the block.
        rsrc.assign(0x58, '\0');
        put16(rsrc, 0x0E, 1);
        put32(rsrc, 0x10, resourceType);
        put32(rsrc, 0x14, 0x80000000u | 0x18);
        put16(rsrc, 0x18 + 0x0E, 1);
        put32(rsrc, 0x18 + 0x10, 1);
        put32(rsrc, 0x18 + 0x14, 0x80000000u | 0x30);
        put16(rsrc, 0x30 + 0x0E, 1);
        put32(rsrc, 0x30 + 0x10, 0x409);
        put32(rsrc, 0x30 + 0x14, 0x48);
        const PeVersionFields v = version.value_or(PeVersionFields{});
        std::string block(92, '\0');
        put16(block, 0, 92);
        put16(block, 2, 52);
        const char16_t key[] = u"VS_VERSION_INFO";
        for (size_t i = 0; i < 16; ++i) put16(block, 6 + 2 * i, key[i]);
        put32(block, 40, 0xFEEF04BDu);
        put32(block, 44, 0x10000);
        put32(block, 48, v.fileMS);
        put32(block, 52, v.fileLS);
        put32(block, 56, v.productMS);
        put32(block, 60, v.productLS);
        put32(rsrc, 0x48, sectionRva + 0x58);
        put32(rsrc, 0x4C, uint32_t(block.size()));
        rsrc += block;
        put32(image, optional + directories + 2 * 8, sectionRva);
        put32(image, optional + directories + 2 * 8 + 4, uint32_t(rsrc.size()));
    }
    const size_t section = optional + optionalSize;
    image.replace(section, 5, ".rsrc");
    put32(image, section + 8, uint32_t(rsrc.size()));
    put32(image, section + 12, sectionRva);
    put32(image, section + 16, uint32_t(rsrc.size()));
    put32(image, section + 20, rawOffset);
    image.resize(rawOffset);
    return image + rsrc;
}

}  // namespace testing_support
