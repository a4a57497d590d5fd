#include "mime_stream.h"

#include <cstring>

// A GMime stream that passes everything to the stream it wraps, and fails a read once the
// stop flag is up. The content GMime keeps of each part is a piece of the wrapped stream.
struct DbxStopStream {
    GMimeStream parent;
    GMimeStream* source;
    const std::atomic<int>* stop;
};
struct DbxStopStreamClass {
    GMimeStreamClass parent;
};

G_DEFINE_TYPE(DbxStopStream, dbx_stop_stream, GMIME_TYPE_STREAM)

namespace {

DbxStopStream* Self(GMimeStream* stream) {
    return reinterpret_cast<DbxStopStream*>(stream);
}

ssize_t StopRead(GMimeStream* stream, char* buffer, size_t length) {
    DbxStopStream* self = Self(stream);
    if (self->stop && self->stop->load() != 0) return -1;
    const ssize_t got = g_mime_stream_read(self->source, buffer, length);
    if (got > 0) stream->position += got;
    return got;
}
ssize_t StopWrite(GMimeStream*, const char*, size_t) {
    return -1;
}
int StopFlush(GMimeStream*) {
    return 0;
}
int StopClose(GMimeStream*) {
    return 0;
}
gboolean StopEos(GMimeStream* stream) {
    return g_mime_stream_eos(Self(stream)->source);
}
int StopReset(GMimeStream* stream) {
    const int result = g_mime_stream_reset(Self(stream)->source);
    stream->position = Self(stream)->source->position;
    return result;
}
gint64 StopSeek(GMimeStream* stream, gint64 offset, GMimeSeekWhence whence) {
    const gint64 at = g_mime_stream_seek(Self(stream)->source, offset, whence);
    if (at >= 0) stream->position = at;
    return at;
}
gint64 StopTell(GMimeStream* stream) {
    return g_mime_stream_tell(Self(stream)->source);
}
gint64 StopLength(GMimeStream* stream) {
    return g_mime_stream_length(Self(stream)->source);
}
// The piece is made by the wrapped stream's own class: g_mime_stream_substream() makes the
// wrapper the piece's owner (and so keeps the wrapped stream alive), which it would otherwise
// do twice, once for each stream, and leak.
GMimeStream* StopSubstream(GMimeStream* stream, gint64 start, gint64 end) {
    GMimeStream* source = Self(stream)->source;
    return GMIME_STREAM_GET_CLASS(source)->substream(source, start, end);
}

void StopFinalize(GObject* object) {
    DbxStopStream* self = reinterpret_cast<DbxStopStream*>(object);
    if (self->source) g_object_unref(self->source);
    G_OBJECT_CLASS(dbx_stop_stream_parent_class)->finalize(object);
}

}  // namespace

static void dbx_stop_stream_class_init(DbxStopStreamClass* klass) {
    GMimeStreamClass* stream = GMIME_STREAM_CLASS(klass);
    stream->read = StopRead;
    stream->write = StopWrite;
    stream->flush = StopFlush;
    stream->close = StopClose;
    stream->eos = StopEos;
    stream->reset = StopReset;
    stream->seek = StopSeek;
    stream->tell = StopTell;
    stream->length = StopLength;
    stream->substream = StopSubstream;
    G_OBJECT_CLASS(klass)->finalize = StopFinalize;
}

static void dbx_stop_stream_init(DbxStopStream* self) {
    self->source = nullptr;
    self->stop = nullptr;
}

namespace dbx {
namespace {

// `source` with the flattened headers renamed and everything after `cuts.end` left out.
GMimeStream* ApplyCuts(GMimeStream* source, const MimeCuts& cuts) {
    if (!cuts.bounded) return source;
    const gint64 base = source->bound_start;
    GMimeStream* joined = g_mime_stream_cat_new();
    gint64 from = 0;
    const gint64 end = static_cast<gint64>(cuts.end);
    for (std::uint64_t offset : cuts.flattened) {
        const gint64 at = static_cast<gint64>(offset);
        if (at < from || at + 12 > end) continue;
        GMimeStream* piece = g_mime_stream_substream(source, base + from, base + at);
        g_mime_stream_cat_add_source(GMIME_STREAM_CAT(joined), piece);
        g_object_unref(piece);
        GMimeStream* header = g_mime_stream_mem_new_with_buffer(kFlattenedTypeHeader,
                                                                std::strlen(kFlattenedTypeHeader));
        g_mime_stream_cat_add_source(GMIME_STREAM_CAT(joined), header);
        g_object_unref(header);
        from = at + 12;  // "Content-Type"
    }
    GMimeStream* rest = g_mime_stream_substream(source, base + from, base + end);
    g_mime_stream_cat_add_source(GMIME_STREAM_CAT(joined), rest);
    g_object_unref(rest);
    g_object_unref(source);
    return joined;
}

}  // namespace

GMimeStream* MakeParseStream(GMimeStream* source, const MimeCuts& cuts,
                             const std::atomic<int>* stop) {
    GMimeStream* bounded = ApplyCuts(source, cuts);
    auto* wrapper = static_cast<DbxStopStream*>(g_object_new(dbx_stop_stream_get_type(), nullptr));
    wrapper->source = bounded;
    wrapper->stop = stop;
    g_mime_stream_construct(GMIME_STREAM(wrapper), bounded->bound_start, bounded->bound_end);
    GMIME_STREAM(wrapper)->position = bounded->position;
    return GMIME_STREAM(wrapper);
}

void ForgetStop(GMimeStream* stream) {
    if (stream && G_TYPE_CHECK_INSTANCE_TYPE(stream, dbx_stop_stream_get_type())) {
        reinterpret_cast<DbxStopStream*>(stream)->stop = nullptr;
    }
}

}  // namespace dbx
