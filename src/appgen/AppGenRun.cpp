#include "appgen/AppGenerator.h"

#include "formresource/FormResource.h"

namespace veska {

QStringList RunAppGeneration(TDrawingSurface& surface, const TAppBuildSettings& settings,
                             const TAppProgress& progress)
{
  TAppExpert expert(surface, settings, LoadTemplateLibrary(settings.LibraryFile));
  return expert.Run(progress, [](const QString& text) { return FormTextToResource(text); });
}

}  // namespace veska
