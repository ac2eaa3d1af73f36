#include "quarn/QuarnLog.h"

#include "platform/foundation/Log.h"

void QuarnSetLogSink(QuarnLogSink sink, void* context) { platform::setLogSink(sink, context); }
