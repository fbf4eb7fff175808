/* Independent reader and writer of Paradox files for the engine tests,
 * built on pxlib.
 *   pxtool info FILE     prints the header and fields pxlib reads
 *   pxtool create FILE   writes an unkeyed table with a field of each of
 *                        several types
 */
#include <paradox.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Info(const char* file)
{
  pxdoc_t* doc = PX_new();
  if (PX_open_file(doc, file) < 0) {
    printf("pxlib cannot open %s\n", file);
    return 1;
  }
  pxhead_t* h = doc->px_head;
  printf("filetype %d version %d fields %d keyfields %d records %d recordsize %d headersize %d\n", h->px_filetype,
         h->px_fileversion, h->px_numfields, h->px_primarykeyfields, h->px_numrecords, h->px_recordsize,
         h->px_headersize);
  for (int i = 0; i < h->px_numfields; i++)
    printf("field %s type %d size %d\n", h->px_fields[i].px_fname ? h->px_fields[i].px_fname : "",
           (unsigned char)h->px_fields[i].px_ftype, h->px_fields[i].px_flen);
  PX_close(doc);
  PX_delete(doc);
  return 0;
}

static void SetField(pxfield_t* f, const char* name, char type, int len, int decimals)
{
  f->px_fname = strdup(name);
  f->px_ftype = type;
  f->px_flen = len;
  f->px_fdc = decimals;
}

static int Create(const char* file)
{
  /* pxlib frees this array and its names when the document is deleted. */
  pxfield_t* fields = calloc(5, sizeof(pxfield_t));
  SetField(&fields[0], "ID", pxfLong, 4, 0);
  SetField(&fields[1], "Name", pxfAlpha, 30, 0);
  SetField(&fields[2], "Born", pxfDate, 4, 0);
  SetField(&fields[3], "Price", pxfBCD, 17, 2);
  SetField(&fields[4], "Notes", pxfMemoBLOb, 20, 0);
  pxdoc_t* doc = PX_new();
  if (PX_create_file(doc, fields, 5, file, pxfFileTypNonIndexDB) < 0) {
    printf("pxlib cannot create %s\n", file);
    return 1;
  }
  PX_close(doc);
  PX_delete(doc);
  printf("created %s\n", file);
  return 0;
}

int main(int argc, char** argv)
{
  if (argc != 3) {
    fprintf(stderr, "usage: pxtool info|create FILE\n");
    return 2;
  }
  if (strcmp(argv[1], "info") == 0)
    return Info(argv[2]);
  if (strcmp(argv[1], "create") == 0)
    return Create(argv[2]);
  return 2;
}
