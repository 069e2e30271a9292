// Keeps the files library non-empty while its archive and stream sources are added.
namespace Tonecrest
{
int tonecrestFilesLibraryAnchor = 0;
}
