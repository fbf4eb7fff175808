#include "appgen/AppGenerator.h"

#include "platform/FormResource.h"

namespace veska {

void RunAppGeneration(TDrawingSurface& surface, const TAppBuildSettings& settings, const TAppProgress& progress)
{
  TAppExpert expert(surface, settings, LoadTemplateLibrary(settings.LibraryFile));
  expert.Run(progress, [](const QString& text) { return FormTextToResource(text); });
}

}  // namespace veska
