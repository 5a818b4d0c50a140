// SPDX-License-Identifier: GPL-2.0-or-later
#include "bus_error.h"

std::string DescribeBusError(GstMessage* message) {
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR) {
        return {};
    }
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    gchar* path = GST_MESSAGE_SRC(message) ? gst_object_get_path_string(GST_MESSAGE_SRC(message)) : nullptr;
    std::string text = path ? path : "(unknown element)";
    if (error) {
        text += std::string(": ") + g_quark_to_string(error->domain) + " code " +
                std::to_string(error->code) + ": " + (error->message ? error->message : "");
    }
    if (debug && *debug) {
        text += std::string(" (") + debug + ")";
    }
    g_free(path);
    g_free(debug);
    if (error) {
        g_error_free(error);
    }
    return text;
}
