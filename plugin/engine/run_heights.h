// The heights a recognition run gives every operation once the tree is final: the top of its view's holes
// (with their hills) and the clearance height, raised to the stock block's top when the job has a stock.
#pragma once

struct VIEW_LIST;

// Every operation of every head hole takes its view's highest hole top and clearance height.
void setViewHeights(VIEW_LIST* tree);
