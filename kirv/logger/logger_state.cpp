#include "kirv/logger/logger_state.h"

namespace kirv {

LoggerState& loggerState()
{
    static LoggerState state;
    return state;
}

} // namespace kirv
