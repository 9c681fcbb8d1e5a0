// Resource ids of the server trees.
#pragma once

#define IDB_SERTREE_IMAGES 114  // 16-pixel images: server, folder, the dual-view button
#define IDR_SERTREE_BUSY 159    // type "ANI": the busy cursor
