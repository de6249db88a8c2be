// Output made in pieces on several threads and handed over in order: each
// piece is made on a worker of its own, and the calling thread takes them
// one after another as they come due. Only a few pieces are made ahead of
// the one taken, so memory stays flat however many there are.
#pragma once

#include <QByteArray>
#include <functional>

// Records of a piece of a dataset's output: enough that handing a piece
// over costs nothing, few enough that memory stays flat.
constexpr qint64 kRecordsPerPiece = 8192;
// Whether output of that many records is worth making in pieces: there is
// more than one core, and more than one piece.
bool WorthPieces(qint64 records);
// The threads that make pieces: one a core, at most four.
int PieceWorkers();

// Runs make(piece, out) for every piece of [0, count) on `workers` threads
// (out starts empty) and take(out) for each on the calling thread, in piece
// order. The first exception of either stops the rest and is raised here once
// every worker has stopped.
void MakePiecesInOrder(qint64 count, int workers,
                       const std::function<void(qint64 piece, QByteArray& out)>& make,
                       const std::function<void(const QByteArray& out)>& take);
