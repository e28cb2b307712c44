// The import of a feature tree that another CAD system exported as XML into the part's file "VERTATree":
// the tree of items, the id map, and the NC features with their ends. No command runs it; what it reads
// goes back to the caller only.
#include "plugin/import/verta_tree_import.h"

#include <charconv>
#include <unordered_map>

#include "plugin/base/entity_utils.h"
#include "plugin/import/host_db_files.h"
#include "plugin/services/import.h"

namespace {

// A whole number in the text, blanks around it allowed; 0 for anything else.
std::int32_t toInt(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return 0;
    const std::size_t end = text.find_last_not_of(" \t\r\n") + 1;
    std::int32_t value = 0;
    const auto [stop, error] = std::from_chars(text.data() + begin, text.data() + end, value);
    return error == std::errc() && stop == text.data() + end ? value : 0;
}

// The item at the main position, read with everything under it.
VERTA_TREE_ITEM readItemAt(CMarkup& xml) {
    VERTA_TREE_ITEM item;
    xml.intoElem();
    while (xml.findElem()) {
        const std::string tag = xml.getTagName();
        if (tag == "name") item.name = xml.getData(xml.mainPos());
        else if (tag == "type") item.type = xml.getData(xml.mainPos());
        else if (tag == "geom_id") item.geomId = toInt(xml.getData(xml.mainPos()));
        else if (tag == "Cat5TreeItem") item.children.push_back(readItemAt(xml));
    }
    xml.outOfElem();
    return item;
}

void collectFeatures(const VERTA_TREE_ITEM& item, std::vector<const VERTA_TREE_ITEM*>& out) {
    if (item.name.find("_NC_") != std::string::npos) out.push_back(&item);
    for (const VERTA_TREE_ITEM& child : item.children) collectFeatures(child, out);
}

}  // namespace

std::optional<VERTA_TREE_ITEM> readTreeItem(CMarkup& xml) {
    if (!xml.findElem("Cat5TreeItem")) return std::nullopt;
    return readItemAt(xml);
}

// The children of "Root" are looked for in the order the export writes them; one that is missing is
// passed over.
bool parseTreeXml(std::string_view text, VERTA_TREE& tree) {
    CMarkup xml;
    if (!xml.setDoc(text) || !xml.findElem("Root")) return false;
    VERTA_TREE read;
    xml.intoElem();
    if (xml.findElem("Version")) read.version = toInt(xml.getData(xml.mainPos()));
    if (xml.findElem("Cat5ConsTree")) {
        xml.intoElem();
        while (std::optional<VERTA_TREE_ITEM> item = readTreeItem(xml)) read.items.push_back(std::move(*item));
        xml.outOfElem();
    }
    if (xml.findElem("IdMapTable")) {
        xml.intoElem();
        while (xml.findElem("IdMap"))
            read.idMap.push_back({toInt(xml.getAttrib(xml.mainPos(), "verta")), toInt(xml.getAttrib(xml.mainPos(), "mc"))});
        xml.outOfElem();
    }
    tree = std::move(read);
    return true;
}

// A feature's ends are its first two child items, top then bottom: their names, the host ids that the id
// map gives their geometry, and where that is a point entity its position. The part's points are read
// once, so the features cost one walk of the part whatever their number.
void buildVertaFeatures(VERTA_TREE& tree) {
    tree.features.clear();
    std::vector<const VERTA_TREE_ITEM*> items;
    for (const VERTA_TREE_ITEM& item : tree.items) collectFeatures(item, items);
    if (items.empty()) return;
    std::unordered_map<std::int32_t, std::int32_t> hostIds;
    for (const CR_IDMAP& pair : tree.idMap) hostIds.try_emplace(pair.verta, pair.mc);   // the first pair wins
    std::unordered_map<std::uint32_t, p_3d> points;
    forEachRawEnt(kEntPoint, [&](db_ptr, const ent& e) {
        points.try_emplace(e.id, e.pt.pt);
        return true;
    });
    auto endOf = [&](const VERTA_TREE_ITEM& child) {
        VERTA_FEATURE_END end;
        end.text = child.name;
        if (const auto id = hostIds.find(child.geomId); id != hostIds.end()) {
            end.id = id->second;
            if (const auto p = points.find(static_cast<std::uint32_t>(end.id)); p != points.end()) {
                end.point[0] = p->second.x;
                end.point[1] = p->second.y;
                end.point[2] = p->second.z;
            }
        }
        return end;
    };
    for (const VERTA_TREE_ITEM* item : items) {
        FEAT_VERTA_TREE feature;
        feature.name = item->name;
        if (item->children.size() > 0) feature.top = endOf(item->children[0]);
        if (item->children.size() > 1) feature.bottom = endOf(item->children[1]);
        tree.features.push_back(std::move(feature));
    }
}

std::optional<VERTA_TREE> importVertaTree() {
    const std::unique_ptr<CHostDBFile> file = openDbFile(kVertaTreeFile, 0);
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    file->read(bytes);
    VERTA_TREE tree;
    if (!parseTreeXml(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), tree))
        return std::nullopt;
    buildVertaFeatures(tree);
    return tree;
}
