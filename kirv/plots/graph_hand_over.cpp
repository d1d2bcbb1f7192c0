#include "kirv/plots/graph_hand_over.h"

namespace kirv {

GraphHandOver& graphHandOver()
{
    static GraphHandOver values;
    return values;
}

} // namespace kirv
