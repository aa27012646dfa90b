#pragma once
// velmora-annotate: a PNG of the page with what the worker found drawn over it.
//
//   velmora-annotate REQUEST.json OUT.png           after the worker ran: the
//       request's image, result document and dpi
//   velmora-annotate IMAGE RESULT.json OUT.png [DPI]  any image and document;
//       DPI defaults to the image's own resolution

namespace vexo {

// 0 with the picture written, 1 after one report line on standard output.
int RunAnnotate(int argc, char** argv);

}  // namespace vexo
