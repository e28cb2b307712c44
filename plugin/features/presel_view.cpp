// The preselection window: its groups and their tree, the side test that decides from where a picked form
// can be machined, the form ranges and their colours, and the window's own recognition of the part.
#include "plugin/features/presel_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "host/api.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"
#include "plugin/services/engine.h"
#include "plugin/services/recognition.h"

std::uint32_t g_preselGroupCounter = 0;
std::uint32_t g_holeSelCounter = 0;
std::uint32_t g_markerLineCounter = 0;

namespace {

constexpr plat::Color kWhite = 0xFFFFFF;
constexpr int kTreeBitmaps[] = {18082, 18010};
constexpr int kSelectedBit = 4;
// The chamfer window and depth the side test describes a form with.
constexpr double kSideChamferMin = 0.768, kSideChamferMax = 0.803, kSideChamferDepth = 2.0;
constexpr double kThisSideBelow = 85.0, kOtherSideAbove = 95.0;
// An angle this close to a limit is the limit: directions made for exactly 85 degrees come out a hair off.
constexpr double kLimitSlack = 1e-9;
constexpr double kMarkerStart[3] = {0, 0, 250.0};
constexpr double kPi = 3.14159265358979323846;

int slotCount(const CYL_LIST& c) { return std::clamp<int>(c.entCount, 0, kMaxCylEnts); }

template <class Visit>
void forEachForm(VIEW_LIST* tree, Visit visit) {
    for (VIEW_LIST* v = tree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next) visit(*p);
}

// Rewrites the slot's entity in `colour` on `level` (kept when negative), unselected.
void paintEnt(const CYL_ENT& slot, int colour, std::int32_t level) {
    ent e{};
    if (get_ent_from_eptr(slot.entry, &e) != 1) return;
    e.color = static_cast<std::int16_t>(colour);
    if (level >= 0) e.level = level;
    sel_bit_turn_off(&e, kSelectedBit);
    (void)rewrite_ent(&e, 0);
}

// Half the chord between two unit vectors, turned into their angle in degrees.
double angleDegrees(const double a[3], const double b[3]) {
    double sum = 0;
    for (int k = 0; k < 3; ++k) sum += (a[k] - b[k]) * (a[k] - b[k]);
    const double d = std::sqrt(sum);
    return 2 * std::asin(std::min(1.0, d / 2)) * 180.0 / kPi;
}

std::string itemText(const char* word, long number, long count, const char* what) {
    char text[128];
    std::snprintf(text, sizeof text, "%s %li - %li %s", word, number, count, what);
    return text;
}

// The form cut down to its segments from `first` to `last`, its point taken from the first one kept. The
// segments live in `cyls`, which the copy points into; false when the form has no such segments.
bool rangeCopy(const POINT_LIST& form, int first, int last, POINT_LIST& copy, std::vector<CYL_LIST>& cyls) {
    cyls.clear();
    if (first < 0 || last < first) return false;
    for (int i = first; i <= last; ++i) {
        const CYL_LIST* c = cylAt(&form, i);
        if (!c) return false;
        cyls.push_back(*c);
    }
    for (std::size_t i = 0; i < cyls.size(); ++i) {
        cyls[i].prev = i ? &cyls[i - 1] : nullptr;
        cyls[i].next = i + 1 < cyls.size() ? &cyls[i + 1] : nullptr;
    }
    copy.firstCyl = cyls.data();
    copy.cylCount = static_cast<std::int32_t>(cyls.size());
    copy.view = form.view;
    copy.crashBottom = form.crashBottom;
    std::copy(cyls[0].cUniv, cyls[0].cUniv + 3, copy.ptUniv);
    return true;
}

}  // namespace

// The window is made once per load of the library: the running numbers start again with it.
CDlgPreselView::CDlgPreselView() : plat::Dialog(kTemplate) {
    g_preselGroupCounter = g_holeSelCounter = g_markerLineCounter = 0;
    onCommand(kAddGroup, [this] { onAddGroup(); });
    on(kTree, plat::Ev::Clicked, [this](plat::Notify&) { onTreeClick(); });
    on(kTree, plat::Ev::RClick, [this](plat::Notify&) { onTreeRightClick(); });
}

CDlgPreselView::~CDlgPreselView() { freeOwnTree(); }

bool CDlgPreselView::onInitDialog() { return true; }

void CDlgPreselView::freeOwnTree() {
    table_.clear();
    (void)freeViewsTree(viewsTree_);
    viewsTree_ = nullptr;
}

// ---- the core's calls -----------------------------------------------------------------------------------

void CDlgPreselView::createImageList() {
    if (!hasWindow()) return;
    plat::TreeView& tree = treeView(kTree);
    if (tree.imageList()) return;
    images_ = std::make_unique<plat::ImageList>(25, 16, 10, 2);
    for (int bitmap : kTreeBitmaps) images_->addBitmap(bitmap, kWhite);
    tree.setImageList(images_.get(), plat::TVSIL_NORMAL);
}

void CDlgPreselView::resetGroups() {
    groups_.clear();
    current_ = -1;
    if (hasWindow()) treeView(kTree).deleteAllItems();
    built_ = 0;
    // The host may have replaced the part: nothing may reach the old recognition's entities any more.
    freeOwnTree();
    newGroup();
}

void CDlgPreselView::restoreColors() {
    if (!built_) return;
    forEachForm(viewsTree_, [](POINT_LIST& p) {
        forEachSegmentEnt(p, [](CYL_ENT& slot) { paintEnt(slot, slot.colour, slot.level); });
    });
    mask_level = 0;
    rebuild_graphics();
}

// ---- groups and items -------------------------------------------------------------------------------------

void CDlgPreselView::newGroup() {
    PRESEL_GROUPS_LIST group;
    group.id = ++g_preselGroupCounter;
    if (hasWindow()) {
        plat::TreeView& tree = treeView(kTree);
        group.root = tree.insertItem(itemText("Group", group.id, 0, "Forms"), 0, 0, plat::TVI_ROOT, plat::TVI_LAST);
        tree.setItemData(group.root, static_cast<std::intptr_t>(group.id));
        tree.setItemState(group.root, plat::TVIS_BOLD, plat::TVIS_BOLD);
    }
    groups_.push_back(std::move(group));
    current_ = static_cast<int>(groups_.size()) - 1;
}

void CDlgPreselView::boldOnly(plat::TreeItem item) {
    if (!hasWindow() || item == 0) return;
    plat::TreeView& tree = treeView(kTree);
    const plat::TreeItem parent = tree.parentItem(item);
    for (plat::TreeItem s = parent ? tree.childItem(parent) : tree.rootItem(); s != 0; s = tree.nextSibling(s))
        tree.setItemState(s, s == item ? plat::TVIS_BOLD : 0, plat::TVIS_BOLD);
}

void CDlgPreselView::writeGroupText(const PRESEL_GROUPS_LIST& group) {
    if (hasWindow() && group.root)
        treeView(kTree).setItemText(group.root,
                                    itemText("Group", group.id, static_cast<long>(group.holes->size()), "Forms"));
}

void CDlgPreselView::writeFormText(const HOLE_SEL_LIST& entry, int place) {
    if (hasWindow() && entry.item)
        treeView(kTree).setItemText(entry.item,
                                    itemText("Form", place + 1, entry.lastCylinder - entry.firstCylinder + 1,
                                             "Cylinders"));
}

int CDlgPreselView::groupById(std::intptr_t id) const {
    for (std::size_t i = 0; i < groups_.size(); ++i)
        if (static_cast<std::intptr_t>(groups_[i].id) == id) return static_cast<int>(i);
    return -1;
}

int CDlgPreselView::entryById(const PRESEL_GROUPS_LIST& group, std::intptr_t id) const {
    for (std::size_t i = 0; i < group.holes->size(); ++i)
        if (static_cast<std::intptr_t>((*group.holes)[i].id) == id) return static_cast<int>(i);
    return -1;
}

// ---- marker lines -------------------------------------------------------------------------------------------

std::uint32_t CDlgPreselView::addMarker(const HOLE_SEL_LIST& entry, int colour) {
    DRAW_ENTS_LIST line;
    line.id = static_cast<std::int32_t>(++g_markerLineCounter);
    line.kind = 2;
    line.colour = static_cast<std::uint8_t>(colour);
    line.line.e1 = p_3d{kMarkerStart[0], kMarkerStart[1], kMarkerStart[2]};
    line.line.e2 = p_3d{entry.topPoint[0], entry.topPoint[1], entry.topPoint[2]};
    g_drawEnts->push_back(line);
    return static_cast<std::uint32_t>(line.id);
}

void CDlgPreselView::colourMarkers(std::uint32_t current) {
    for (DRAW_ENTS_LIST& line : *g_drawEnts)
        line.colour =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(line.id) == current ? kMarkerCurrent : kMarkerOther);
}

void CDlgPreselView::removeMarker(std::uint32_t id) {
    std::erase_if(*g_drawEnts, [id](const DRAW_ENTS_LIST& line) { return static_cast<std::uint32_t>(line.id) == id; });
}

// ---- the side test and the entries ----------------------------------------------------------------------------

int CDlgPreselView::formSideInView(const POINT_LIST* form, const double direction[3]) {
    if (!form || !form->view) return -1;
    CIL_DESC descs[kMaxCilDescs];
    const int count =
        describeByTable(form->firstCyl, descs, kSideChamferMin, kSideChamferMax, kSideChamferDepth, nullptr);
    if (count <= 0) return -1;
    const bool otherSideAllowed = descs[count - 1].Through != 0 && form->crashBottom == 0;
    const double a = angleDegrees(form->view->matrix[2], direction);
    if (a < kThisSideBelow - kLimitSlack) return 0;
    if (a > kOtherSideAbove + kLimitSlack && otherSideAllowed) return 1;
    return -1;
}

int CDlgPreselView::findHoleSel(const POINT_LIST* form) const {
    if (current_ < 0) return -1;
    const std::vector<HOLE_SEL_LIST>& holes = *groups_[static_cast<std::size_t>(current_)].holes;
    for (std::size_t i = 0; i < holes.size(); ++i)
        if (holes[i].form == form) return static_cast<int>(i);
    return -1;
}

HOLE_SEL_LIST CDlgPreselView::makeHoleSel(POINT_LIST* form, const double direction[3]) {
    HOLE_SEL_LIST entry;
    entry.id = ++g_holeSelCounter;
    entry.form = form;
    entry.cylinderCount = countCyls(form);
    entry.firstCylinder = 0;
    entry.lastCylinder = entry.cylinderCount - 1;
    std::copy(form->ptUniv, form->ptUniv + 3, entry.topPoint);
    std::copy(form->ptUniv, form->ptUniv + 3, entry.bottomPoint);
    const CYL_LIST* last = lastCyl(form);
    if (form->view && last) {
        const double (*m)[3] = form->view->matrix;
        double v[3];
        for (int r = 0; r < 3; ++r)
            v[r] = m[r][0] * form->ptUniv[0] + m[r][1] * form->ptUniv[1] + m[r][2] * form->ptUniv[2];
        v[2] = last->zInf;
        for (int k = 0; k < 3; ++k) entry.bottomPoint[k] = m[0][k] * v[0] + m[1][k] * v[1] + m[2][k] * v[2];
    }
    std::copy(direction, direction + 3, entry.pickDirection);
    entry.oppositeSide = form->view && angleDegrees(form->view->matrix[2], direction) > 90.0 ? 1 : 0;
    return entry;
}

void CDlgPreselView::storeMarkPoint(HOLE_SEL_LIST& entry) {
    const double* at = entry.oppositeSide ? entry.bottomPoint : entry.topPoint;
    ent e{};
    e.type = kEntPoint;
    e.pt.pt = p_3d{at[0], at[1], at[2]};
    db_ptr stored = 0;
    char ok = 0;
    const std::uint32_t id =
        store_ent(&e, &stored, 0, kMarkPointColour, g_globals->settings.formsLevel, main_attrib, &ok);
    entry.markPointId = ok ? id : 0;
}

int CDlgPreselView::addFormToGroup(POINT_LIST* form, const double direction[3]) {
    if (current_ < 0) newGroup();
    PRESEL_GROUPS_LIST& group = groups_[static_cast<std::size_t>(current_)];
    HOLE_SEL_LIST entry = makeHoleSel(form, direction);
    storeMarkPoint(entry);
    group.holes->push_back(entry);
    const int index = static_cast<int>(group.holes->size()) - 1;
    HOLE_SEL_LIST& added = group.holes->back();
    writeGroupText(group);
    if (hasWindow()) {
        plat::TreeView& tree = treeView(kTree);
        added.item = tree.insertItem(itemText("Form", index + 1, added.cylinderCount, "Cylinders"), 0, 0, group.root,
                                     plat::TVI_LAST);
        tree.setItemData(added.item, static_cast<std::intptr_t>(added.id));
        tree.expand(group.root, plat::TVE_EXPAND);
        boldOnly(added.item);
    }
    added.markerLineId = addMarker(added, kMarkerOther);
    colourMarkers(added.markerLineId);
    repaint_graphics();
    return index;
}

// ---- colours and levels -----------------------------------------------------------------------------------------

int CDlgPreselView::paintColour(const CYL_ENT& slot, int index, const int* colours) {
    return index < 1 ? slot.colour : colours[std::min(index, 2)];
}

void CDlgPreselView::colorForm(POINT_LIST* form, int colourIndex) {
    const int colour = colours_[std::clamp(colourIndex, 0, 2)];
    forEachSegmentEnt(*form, [colour](CYL_ENT& slot) { paintEnt(slot, colour, -1); });
    repaint_graphics();
}

void CDlgPreselView::colorFormRange(const HOLE_SEL_LIST& entry, int inside, int outside) {
    int place = 0;
    for (CYL_LIST* c = entry.form->firstCyl; c; c = c->next, ++place) {
        const int index = place >= entry.firstCylinder && place <= entry.lastCylinder ? inside : outside;
        for (int i = 0; i < slotCount(*c); ++i) paintEnt(c->ents[i], paintColour(c->ents[i], index, colours_), -1);
    }
    repaint_graphics();
}

void CDlgPreselView::setFormLevels(POINT_LIST* form, int mode) {
    forEachSegmentEnt(*form, [mode](CYL_ENT& slot) {
        ent e{};
        if (get_ent_from_eptr(slot.entry, &e) != 1) return;
        e.level = mode == 1 ? mask_level : slot.level;
        (void)rewrite_ent(&e, 0);
    });
}

void CDlgPreselView::colorAllForms() {
    const std::int32_t level = g_globals->settings.featuresLevel;
    const int colour = colours_[kAllColour];
    forEachForm(viewsTree_, [level, colour](POINT_LIST& p) {
        forEachSegmentEnt(p, [level, colour](CYL_ENT& slot) {
            ent e{};
            if (get_ent_from_eptr(slot.entry, &e) != 1) return;
            slot.colour = static_cast<std::uint16_t>(e.color);
            slot.level = e.level;
            paintEnt(slot, colour, level);
        });
    });
    mask_level = level;
    rebuild_graphics();
}

void CDlgPreselView::showForm(const POINT_LIST* form) {
    const int index = findHoleSel(form);
    if (index < 0) return;
    const HOLE_SEL_LIST& entry = (*groups_[static_cast<std::size_t>(current_)].holes)[static_cast<std::size_t>(index)];
    colorFormRange(entry, kCurrentColour, 0);
    boldOnly(entry.item);
    colourMarkers(entry.markerLineId);
    repaint_graphics();
}

std::string CDlgPreselView::pickEntities(const std::vector<std::uint32_t>& ids, const double direction[3]) {
    std::vector<POINT_LIST*> forms;
    (void)collectForms(ids, forms);
    std::string refused;
    for (POINT_LIST* form : forms) {
        if (findHoleSel(form) < 0) {
            if (formSideInView(form, direction) < 0) {
                refused = kNotAccessible;
                continue;
            }
            (void)addFormToGroup(form, direction);
        }
        showForm(form);
    }
    return refused;
}

// ---- the buttons and the tree -------------------------------------------------------------------------------

void CDlgPreselView::closeGroup(PRESEL_GROUPS_LIST& group) {
    for (const HOLE_SEL_LIST& entry : *group.holes) {
        colorFormRange(entry, kOtherColour, 0);
        setFormLevels(entry.form, 0);
        removeMarker(entry.markerLineId);
    }
}

void CDlgPreselView::onAddGroup() {
    if (current_ >= 0) closeGroup(groups_[static_cast<std::size_t>(current_)]);
    newGroup();
    boldOnly(groups_.back().root);
}

void CDlgPreselView::onOK() {
    g_drawEnts->clear();
    repaint_graphics();
    showWindow(false);
}

void CDlgPreselView::onTreeClick() {
    plat::TreeView& tree = treeView(kTree);
    unsigned flags = 0;
    const plat::TreeItem hit = tree.hitTest(item(kTree).screenToClient(plat::cursorPos()), &flags);
    if (hit == 0 || (flags & (plat::TVHT_ONITEMICON | plat::TVHT_ONITEMLABEL)) == 0) return;
    const plat::TreeItem parent = tree.parentItem(hit);
    if (parent != 0 && tree.parentItem(parent) != 0) return;
    const plat::TreeItem root = parent ? parent : hit;
    const int clicked = groupById(tree.itemData(root));
    if (clicked < 0) return;
    if (current_ >= 0) {
        closeGroup(groups_[static_cast<std::size_t>(current_)]);
        writeGroupText(groups_[static_cast<std::size_t>(current_)]);
    }
    current_ = clicked;
    PRESEL_GROUPS_LIST& group = groups_[static_cast<std::size_t>(clicked)];
    boldOnly(root);
    for (const HOLE_SEL_LIST& entry : *group.holes) {
        colorFormRange(entry, kCurrentColour, 0);
        setFormLevels(entry.form, 1);
    }
    const std::intptr_t clickedEntry = parent ? tree.itemData(hit) : -1;
    for (HOLE_SEL_LIST& entry : *group.holes)
        entry.markerLineId =
            addMarker(entry, static_cast<std::intptr_t>(entry.id) == clickedEntry ? kMarkerCurrent : kMarkerOther);
    repaint_graphics();
}

void CDlgPreselView::onTreeRightClick() {
    plat::TreeView& tree = treeView(kTree);
    const plat::TreeItem hit = tree.hitTest(item(kTree).screenToClient(plat::cursorPos()));
    if (hit == 0) return;
    const bool marked = hit == tree.selectedItem() || tree.itemState(hit, plat::TVIS_SELECTED | plat::TVIS_BOLD) != 0;
    const plat::TreeItem root = tree.parentItem(hit);
    if (!marked || root == 0 || tree.parentItem(root) != 0) return;
    const int g = groupById(tree.itemData(root));
    if (g < 0) return;
    const int e = entryById(groups_[static_cast<std::size_t>(g)], tree.itemData(hit));
    if (e < 0) return;
    plat::Menu menu;
    menu.item(kRemoveUpper, "Remove upper cyl");
    menu.item(kRestoreUpper, "Restore upper cyl");
    menu.item(kRemoveLower, "Remove lower cyl");
    menu.item(kRestoreLower, "Restore lower cyl");
    menu.item(kAddEqual, "Add all equal forms");
    menu.item(kRemoveEqual, "Remove all equal forms");
    const int command =
        plat::trackPopupMenu(menu, plat::TPM_RETURNCMD | plat::TPM_RIGHTBUTTON, plat::cursorPos(), this);
    if (command != 0) runPopupCommand(groups_[static_cast<std::size_t>(g)], e, command);
}

void CDlgPreselView::runPopupCommand(PRESEL_GROUPS_LIST& group, int entryIndex, int command) {
    HOLE_SEL_LIST& entry = (*group.holes)[static_cast<std::size_t>(entryIndex)];
    switch (command) {
    case kRemoveUpper:
        if (entry.firstCylinder < entry.lastCylinder) ++entry.firstCylinder;
        break;
    case kRestoreUpper:
        if (entry.firstCylinder > 0) --entry.firstCylinder;
        break;
    case kRemoveLower:
        if (entry.lastCylinder > entry.firstCylinder) --entry.lastCylinder;
        break;
    case kRestoreLower:
        if (entry.lastCylinder < entry.cylinderCount - 1) ++entry.lastCylinder;
        break;
    case kAddEqual:
        addEqualForms(HOLE_SEL_LIST(entry));
        return;
    case kRemoveEqual:
        removeEqualForms(HOLE_SEL_LIST(entry));
        return;
    default:
        return;
    }
    writeFormText(entry, entryIndex);
    colorFormRange(entry, kCurrentColour, 0);
}

std::vector<POINT_LIST*> CDlgPreselView::findEqualForms(const HOLE_SEL_LIST& entry) const {
    std::vector<POINT_LIST*> equal;
    POINT_LIST model;
    std::vector<CYL_LIST> modelCyls;
    if (!rangeCopy(*entry.form, entry.firstCylinder, entry.lastCylinder, model, modelCyls)) return equal;
    std::vector<CYL_LIST> cyls;
    forEachForm(viewsTree_, [&](POINT_LIST& p) {
        if (&p == entry.form) return;
        POINT_LIST copy;
        if (rangeCopy(p, entry.firstCylinder, entry.lastCylinder, copy, cyls) && sameShape(&model, &copy, false))
            equal.push_back(&p);
    });
    return equal;
}

void CDlgPreselView::addEqualForms(const HOLE_SEL_LIST& entry) {
    for (POINT_LIST* form : findEqualForms(entry)) {
        if (findHoleSel(form) >= 0) continue;
        const int index = addFormToGroup(form, entry.pickDirection);
        HOLE_SEL_LIST& added = (*groups_[static_cast<std::size_t>(current_)].holes)[static_cast<std::size_t>(index)];
        added.firstCylinder = entry.firstCylinder;
        added.lastCylinder = entry.lastCylinder;
        writeFormText(added, index);
        colorFormRange(added, kCurrentColour, 0);
    }
}

void CDlgPreselView::removeEqualForms(const HOLE_SEL_LIST& entry) {
    PRESEL_GROUPS_LIST& group = groups_[static_cast<std::size_t>(current_)];
    const std::vector<POINT_LIST*> equal = findEqualForms(entry);
    const std::unordered_set<const POINT_LIST*> gone(equal.begin(), equal.end());
    std::vector<HOLE_SEL_LIST>& holes = *group.holes;
    for (const HOLE_SEL_LIST& h : holes) {
        if (!gone.count(h.form)) continue;
        if (h.markPointId) (void)deleteEntById(h.markPointId);
        if (hasWindow() && h.item) treeView(kTree).deleteItem(h.item);
        removeMarker(h.markerLineId);
    }
    std::erase_if(holes, [&gone](const HOLE_SEL_LIST& h) { return gone.count(h.form) != 0; });
    writeGroupText(group);
    for (std::size_t i = 0; i < holes.size(); ++i) writeFormText(holes[i], static_cast<int>(i));
    repaint_graphics();
}

// ---- the own recognition ------------------------------------------------------------------------------------------

int CDlgPreselView::scanPart() {
    PLUGIN_GLOBALS& g = *g_globals;
    freeOwnTree();
    built_ = 0;
    solidsConverted_ = static_cast<std::uint32_t>(solidsToEntities(g_globals->settings.featuresLevelCopy));
    std::int32_t wide = 0, narrow = 0, refused = 0;
    int outcome = kRecognitionDone;
    const int savedMask = mask_level;
    mask_level = 0;
    viewsTree_ = recognizeCylinders(kRecognizeFeatures, nullptr, &wide, &narrow, &refused,
                                    g.settings.maxDiameterOn != 0, g.settings.minDiameterOn != 0, nullptr, &outcome);
    mask_level = savedMask;
    if (outcome == kRecognitionCancelled ||
        (viewsTree_ && g.settings.useStock != 0 && checkStockEntry(viewsTree_) < 0)) {
        freeOwnTree();
        return -1;
    }
    int forms = 0, cylinders = 0;
    double smallest = 0, largest = 0;
    (void)holeStatistics(viewsTree_, &wide, &narrow, &refused, &forms, &cylinders, &smallest, &largest);
    if (viewsTree_ && checkOpaqueSurfs(viewsTree_, 0, nullptr) < 0) {
        freeOwnTree();
        return -1;
    }
    formCount_ = static_cast<std::uint32_t>(forms);
    cylinderCount_ = static_cast<std::uint32_t>(cylinders);
    smallestDiameter_ = smallest;
    largestDiameter_ = largest;
    if (hasWindow()) {
        item(kCylinders).setText(std::to_string(cylinderCount_));
        item(kForms).setText(std::to_string(formCount_));
        const std::string format = std::string(g_fmtMedium) + "/" + g_fmtMedium;
        char text[96];
        std::snprintf(text, sizeof text, format.c_str(), smallestDiameter_, largestDiameter_);
        item(kDiameters).setText(text);
    }
    if (!viewsTree_) return 1;
    built_ = 1;
    buildEntityTable();
    return 0;
}

void CDlgPreselView::buildEntityTable() {
    if (!built_) return;
    table_.clear();
    std::size_t slots = 0;
    forEachForm(viewsTree_, [&slots](POINT_LIST& p) { forEachSegmentEnt(p, [&slots](CYL_ENT&) { ++slots; }); });
    table_.reserve(slots);
    forEachForm(viewsTree_, [this](POINT_LIST& p) {
        forEachSegmentEnt(p, [this, &p](CYL_ENT& slot) {
            table_.push_back({static_cast<std::uint32_t>(slot.id), &p});
        });
    });
    std::sort(table_.begin(), table_.end(), [](const ENT_FORM& a, const ENT_FORM& b) { return a.id < b.id; });
}

POINT_LIST* CDlgPreselView::findFormOfEntity(std::uint32_t id) const {
    const auto at = std::lower_bound(table_.begin(), table_.end(), id,
                                     [](const ENT_FORM& pair, std::uint32_t key) { return pair.id < key; });
    return at != table_.end() && at->id == id ? at->form : nullptr;
}

int CDlgPreselView::collectForms(const std::vector<std::uint32_t>& ids, std::vector<POINT_LIST*>& forms) const {
    std::unordered_set<const POINT_LIST*> listed(forms.begin(), forms.end());
    int added = 0;
    for (std::uint32_t id : ids) {
        POINT_LIST* form = findFormOfEntity(id);
        if (form && listed.insert(form).second) {
            forms.push_back(form);
            ++added;
        }
    }
    return added;
}
