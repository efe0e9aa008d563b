#pragma once

// korvanda-db export DB COLLECTION_NUMBER OUT [--details recording|custom|recording,custom]
// Writes one collection, in the collection screen's order, as a text, CSV, web page or PDF
// file chosen by OUT's extension. Runs before any application object exists: it makes the
// one it needs (PDF measures text, which takes the GUI layer, though nothing is shown).
int exportMain(int argc, char** argv);
