// The module's entry: hosts find the plug-in class through QCPlugInFactory.
#include "platform/composition/QCPlugInInterface.h"
#include "sonograph/SonographPlugIn.h"

QC_PLUGIN_FACTORY(SonographPlugIn)
