#include "CompoundListing.h"

#include <gsf/gsf.h>

namespace {

void listInto(GsfInfile* storage, const std::string& prefix, std::vector<std::string>& out) {
    for (int i = 0; i < gsf_infile_num_children(storage); ++i) {
        GsfInput* child = gsf_infile_child_by_index(storage, i);
        if (!child) continue;
        const std::string name = prefix + gsf_input_name(child);
        const bool isStorage = GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
        out.push_back(isStorage ? name + "/" : name);
        if (isStorage) listInto(GSF_INFILE(child), name + "/", out);
        g_object_unref(child);
    }
}

}  // namespace

std::vector<std::string> compoundPaths(const std::string& file) {
    gsf_init();
    std::vector<std::string> out;
    GsfInput* input = gsf_input_stdio_new(file.c_str(), nullptr);
    if (!input) return out;
    GsfInfile* root = gsf_infile_msole_new(input, nullptr);
    g_object_unref(input);
    if (!root) return out;
    listInto(root, "", out);
    g_object_unref(root);
    return out;
}

std::vector<unsigned char> compoundStream(const std::string& file, const std::string& path) {
    gsf_init();
    std::vector<unsigned char> out;
    GsfInput* input = gsf_input_stdio_new(file.c_str(), nullptr);
    if (!input) return out;
    GsfInfile* root = gsf_infile_msole_new(input, nullptr);
    g_object_unref(input);
    if (!root) return out;
    // Walk "a/b/c" one name at a time.
    GsfInfile* storage = root;
    g_object_ref(storage);
    std::size_t from = 0;
    while (storage) {
        const std::size_t slash = path.find('/', from);
        const std::string name = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
        GsfInput* child = gsf_infile_child_by_name(storage, name.c_str());
        g_object_unref(storage);
        storage = nullptr;
        if (!child) break;
        if (slash == std::string::npos) {
            out.resize(static_cast<std::size_t>(gsf_input_size(child)));
            if (!out.empty() && !gsf_input_read(child, out.size(), out.data())) out.clear();
            g_object_unref(child);
            break;
        }
        storage = GSF_INFILE(child);
        from = slash + 1;
    }
    g_object_unref(root);
    return out;
}
