// The points list: the positions of the hole marked in the process tree and of the holes identical to it,
// each with a tick, from which the user creates the operations of the ticked positions (with everything
// else hidden or not) or highlights one position. It ends with an action code that the process tree run
// carries out.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"

struct POINT_LIST;
struct OPE_LIST;
namespace plat { class ImageList; }

class CDlgPointsList : public plat::Dialog {
public:
    static constexpr int kTemplate = 18009, kHeading = 4102, kTree = 4005;
    // End codes.
    static constexpr int kCreate = 102, kCreateIsolated = 103, kHighlight = 104;

    // A selection word as it was before the list changed it: an operation's on mark (kind 3) or a hole's
    // second selection word (kind 2).
    struct OP_PREV_SEL {
        void* record = nullptr;
        std::uint16_t previous = 0;
        std::uint16_t kind = 0;
    };

    CDlgPointsList();
    ~CDlgPointsList() override;

    POINT_LIST* selectedHole = nullptr;       // the position the menu acted on
    std::vector<OP_PREV_SEL> previousSelection;
    std::uint16_t resultWord = 0;
    std::string heading;                      // the marked hole's text, set by the process tree's menu

    // mode 0: the marked holes are shown highlighted where they are the selection, normal elsewhere;
    // mode 1: the marked holes are shown normal again.
    void highlightSelectedForm(int mode);
    // Puts back every selection word recorded in previousSelection and empties it.
    void restorePreviousSelection();

protected:
    bool onInitDialog() override;

private:
    void onClickTree(plat::Notify& n);
    void onRClickTree(plat::Notify& n);
    void refreshImages();
    std::unique_ptr<plat::ImageList> images_;
};
