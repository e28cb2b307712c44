#include "plugin/model/tree_views.h"

#include "host/api.h"
#include "plugin/base/host_views.h"
#include "plugin/base/vectors.h"
#include "plugin/model/tree.h"

int getOrCreateHostView(VIEW_LIST* view, int referenceAxis, int mode, int createNamed) {
    if (!view) return -1;
    HOST_VIEW_REF ref;
    copyMatrix33(ref.matrix, view->matrix);
    ref.viewNumber = view->viewNumber;
    ref.idn = view->idn;
    ref.wcsViewNumber = view->wcsViewNumber;
    ref.nearNamedViewId = view->nearNamedViewId;
    ref.nearViewNumber = view->nearViewNumber;
    ref.nearAngle = view->nearAngle;
    const int result = orientToHostView(ref, referenceAxis, mode, createNamed);
    view->viewNumber = ref.viewNumber;
    view->idn = ref.idn;
    view->wcsViewNumber = ref.wcsViewNumber;
    view->nearNamedViewId = ref.nearNamedViewId;
    view->nearViewNumber = ref.nearViewNumber;
    view->nearAngle = ref.nearAngle;
    if (ref.matrixSet) {
        copyMatrix33(view->matrix, ref.matrix);
        double toView[3][3];
        transpose_matrix_33(view->matrix, toView);
        for (POINT_LIST* p = view->firstPoint; p; p = p->next) mul_mat_vector(toView, p->ptUniv, p->ptView);
    }
    return result;
}

std::string viewDescription(const VIEW_LIST* view) {
    if (!view) return {};
    return viewText(view->viewNumber, view->idn, view->wcsViewNumber, view->nearNamedViewId, view->nearViewNumber,
                    view->nearAngle);
}
