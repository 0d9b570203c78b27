#include "FpxStorage.h"

#include "CompoundCheck.h"

#include <mutex>

namespace kit {

void ensureGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged document is refused with a status; libgsf's own messages about it stay
        // off the terminal.
        for (const char* domain : {"libgsf:msole", "libgsf"})
            g_log_set_handler(domain, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL),
                              [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
}

GsfRef<GsfInfile> openCompoundDocument(std::span<const std::uint8_t> bytes) {
    ensureGsf();
    if (bytes.empty() || !compoundStructureSound(bytes)) return {};
    GsfRef<GsfInput> input(gsf_input_memory_new(bytes.data(), static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!input) return {};
    return GsfRef<GsfInfile>(gsf_infile_msole_new(input.get(), nullptr));
}

GsfRef<GsfInfile> childStorage(GsfInfile* storage, const char* name) {
    if (!storage) return {};
    GsfInput* child = gsf_infile_child_by_name(storage, name);
    if (!child) return {};
    if (!GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0) {
        g_object_unref(child);
        return {};
    }
    return GsfRef<GsfInfile>(GSF_INFILE(child));
}

GsfRef<GsfInput> childStream(GsfInfile* storage, const char* name) {
    if (!storage) return {};
    GsfInput* child = gsf_infile_child_by_name(storage, name);
    if (!child) return {};
    if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
        g_object_unref(child);
        return {};
    }
    return GsfRef<GsfInput>(child);
}

std::optional<std::vector<std::uint8_t>> readStream(GsfInput* stream, std::size_t most) {
    if (!stream) return std::nullopt;
    const gsf_off_t size = gsf_input_size(stream);
    if (size < 0 || static_cast<std::uint64_t>(size) > most) return std::nullopt;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
    if (!readStreamPart(stream, 0, out.size(), out.data())) return std::nullopt;
    return out;
}

bool readStreamPart(GsfInput* stream, std::uint64_t offset, std::size_t size, std::uint8_t* out) {
    const gsf_off_t total = gsf_input_size(stream);
    if (total < 0 || offset > static_cast<std::uint64_t>(total) || size > static_cast<std::uint64_t>(total) - offset)
        return false;
    if (size == 0) return true;
    if (gsf_input_seek(stream, static_cast<gsf_off_t>(offset), G_SEEK_SET)) return false;
    return gsf_input_read(stream, size, out) != nullptr;
}

}  // namespace kit
