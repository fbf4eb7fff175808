/* Independent reader and writer of Paradox files for the engine tests,
 * built on pxlib.
 *   pxtool info FILE     prints the header and fields pxlib reads
 *   pxtool create FILE   writes an unkeyed table with a field of each of
 *                        several types
 *   pxtool attach DB PX  reads the primary index PX and attaches it to the
 *                        table DB, as pxlib does before it looks up keys
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

static int Attach(const char* table, const char* index)
{
  pxdoc_t* doc = PX_new();
  pxdoc_t* px = PX_new();
  int status = 1;
  if (PX_open_file(doc, table) < 0)
    printf("pxlib cannot open %s\n", table);
  else if (PX_open_file(px, index) < 0)
    printf("pxlib cannot open %s\n", index);
  else if (PX_read_primary_index(px) < 0)
    printf("pxlib cannot read the primary index %s\n", index);
  else if (PX_add_primary_index(doc, px) < 0)
    printf("pxlib cannot attach %s to %s\n", index, table);
  else {
    printf("attached: index fields %d keyfields %d\n", px->px_head->px_numfields, px->px_head->px_primarykeyfields);
    status = 0;
  }
  /* The table document keeps the index's entries, not the index document. */
  PX_close(doc);
  PX_delete(doc);
  PX_close(px);
  PX_delete(px);
  return status;
}

int main(int argc, char** argv)
{
  if (argc == 4 && strcmp(argv[1], "attach") == 0)
    return Attach(argv[2], argv[3]);
  if (argc != 3) {
    fprintf(stderr, "usage: pxtool info|create FILE, pxtool attach DB PX\n");
    return 2;
  }
  if (strcmp(argv[1], "info") == 0)
    return Info(argv[2]);
  if (strcmp(argv[1], "create") == 0)
    return Create(argv[2]);
  return 2;
}
