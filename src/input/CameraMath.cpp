#include "input/CameraMath.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

namespace vantor {

namespace camera {

glm::dvec2 cursorCentre(int width, int height) {
    return {double(width / 2), double(height / 2)};
}

CursorUse useCursor(bool focused, std::optional<glm::dvec2>& placedAt, glm::dvec2 windowPosition,
                    glm::dvec2 cursor, glm::dvec2 centre) {
    if (!focused) {
        placedAt.reset();
        return {centre, false};
    }
    const glm::dvec2 home = windowPosition + centre;
    const bool settled = placedAt && *placedAt == home;
    placedAt = home;
    return {settled ? cursor : centre, true};
}

void turnByCursor(float& horizontalAngle, float& verticalAngle, float mouseSpeed, glm::dvec2 cursor,
                  glm::dvec2 centre) {
    // The offset is rounded to float before scaling; the vertical scale is a double quotient.
    horizontalAngle += mouseSpeed * float(centre.x - cursor.x);
    verticalAngle = std::clamp(float(verticalAngle + mouseSpeed / 1.5 * float(centre.y - cursor.y)),
                               -kPitchLimit, kPitchLimit);
}

glm::vec3 viewDirection(float horizontalAngle, float verticalAngle) {
    return {std::cos(verticalAngle) * std::sin(horizontalAngle), std::sin(verticalAngle),
            std::cos(verticalAngle) * std::cos(horizontalAngle)};
}

// 1.57 rather than pi/2 keeps the strafe axis where the camera has always had it.
glm::vec3 rightDirection(float horizontalAngle) {
    return {std::sin(horizontalAngle - 1.57f), 0.0f, std::cos(horizontalAngle - 1.57f)};
}

glm::vec3 moveByKeys(glm::vec3 position, glm::vec3 direction, glm::vec3 right, const MoveKeys& keys,
                     float deltaTime, float speed) {
    if (keys.forward)
        position += direction * deltaTime * speed;
    if (keys.back)
        position -= direction * deltaTime * speed;
    if (keys.right)
        position += right * deltaTime * speed;
    if (keys.left)
        position -= right * deltaTime * speed;
    if (keys.rise)
        position.y += speed * deltaTime;
    if (keys.sink)
        position.y -= speed * deltaTime;
    return position;
}

FlightView fly(glm::vec3& position, float& orbitAngle, float& lastFlightTime, float startTime, double now,
               float deltaTime, float speed) {
    FlightView result{glm::vec3(0.0f, 0.2f, 0.0f) - position, glm::vec3(0.0f, 1.0f, 0.0f), 0.0f, false,
                      false};
    const float elapsed = float(now) - startTime;

    if (elapsed < kGlideSeconds) {
        // A fixed fraction of the remaining way per second: an exponential approach.
        position += result.direction * deltaTime * speed / 6.0f;
        result.fieldOfView = kGlideFieldOfView;
    } else {
        result.fieldOfView = 90.0f;
        result.orbiting = true;
        // Measured from the last flown update, so time spent with the flight off is caught up at once.
        const float flightStep = float(now - double(lastFlightTime));
        float extra = 0.0f;
        if (elapsed > 45.0f)
            extra = (elapsed - 45.0f) * (elapsed - 45.0f) / 100.0f;
        // `extra` is per update, not per second: the orbit speeds up with the frame rate too.
        orbitAngle = float(orbitAngle + (0.005 * flightStep * 100 + extra));
        float radius = float(std::sin(orbitAngle) / 4 + 0.5 - 1.5 * extra);
        if (radius < 0.0f)
            radius = 0.0f;
        // The sine adds at most a quarter: from here on nothing brings the radius back.
        result.onAxisForGood = 0.75 - 1.5 * extra <= 0.0;
        float lift = (elapsed - 40.0f) / 2.0f;
        if (lift < 0.0f)
            lift = 0.0f;
        const float camX = std::cos(orbitAngle) * radius;
        const float camZ = std::sin(orbitAngle) * radius;
        // Aimed from where the camera was, then moved: the view trails the orbit by one update.
        result.direction = glm::vec3(0.0f, 0.2f + lift, 0.0f) - position;
        result.up = glm::vec3(0.0f, 1.0f, 0.0f);
        position = glm::vec3(camX, 0.2f, camZ);
    }

    lastFlightTime = float(now);
    return result;
}

FlightPlace flightPlaceAt(double t, float speed) {
    const glm::vec3 centre(0.0f, 0.2f, 0.0f);
    if (t < kGlideSeconds) {
        const float left = float(std::exp(-std::max(t, 0.0) * speed / 6.0));
        return {centre + (kStartPosition - centre) * left, 0.0f};
    }
    // Half a radian a second, plus from 45 s on (e - 45)^2 / 100 per update: at 60 updates a
    // second that sums to (t - 45)^3 / 5.
    const double late = std::max(t - 45.0, 0.0);
    const double angle = 0.5 * (t - kGlideSeconds) + late * late * late / 5.0;
    const double extra = late * late / 100.0;
    const double radius = std::max(std::sin(angle) / 4 + 0.5 - 1.5 * extra, 0.0);
    return {glm::vec3(float(std::cos(angle) * radius), 0.2f, float(std::sin(angle) * radius)), float(angle)};
}

FittedFlight fitFlight(glm::vec3 boundsMin, glm::vec3 boundsMax) {
    FittedFlight flight;
    const glm::vec3 size = boundsMax - boundsMin;
    const bool usable =
        std::isfinite(boundsMin.x + boundsMin.y + boundsMin.z + boundsMax.x + boundsMax.y + boundsMax.z) &&
        size.x >= 0.0f && size.y >= 0.0f && size.z >= 0.0f;
    if (usable) {
        flight.centre = 0.5f * (boundsMin + boundsMax);
        flight.radius = 0.5f * glm::length(size);
        flight.across = 0.5f * std::sqrt(size.x * size.x + size.z * size.z);
        flight.halfHeight = 0.5f * size.y;
    }
    // A single point still gets a picture with something around it.
    flight.radius = std::max(flight.radius, 0.05f);
    return flight;
}

float fittedDistance(const FittedFlight& flight, float aspect, double elevation) {
    const double halfHeight = glm::radians(double(kFittedFieldOfView)) / 2;
    const double upward = std::tan(halfHeight) / 1.1;
    const double sideways = std::tan(halfHeight) * std::max(double(aspect), 1e-3) / 1.1;
    // Looking along -b from distance d, a point p (relative to the centre) lies at depth d - p.b,
    // off the axis by p.r sideways and p.u upwards; it is in the picture from
    // d >= p.b + |p.r| / sideways and d >= p.b + |p.u| / upwards. The cylinder is the same from every
    // bearing, so its rim is sampled from one.
    const double c = std::cos(elevation), s = std::sin(elevation);
    double distance = 1.05 * flight.radius;
    constexpr int samples = 256;
    for (int i = 0; i < samples; ++i) {
        const double angle = 2.0 * glm::pi<double>() * i / samples;
        const double x = flight.across * std::cos(angle), z = flight.across * std::sin(angle);
        for (const double y : {-double(flight.halfHeight), double(flight.halfHeight)}) {
            const double along = x * c + y * s;
            const double up = -x * s + y * c;
            distance = std::max({distance, along + std::abs(z) / sideways, along + std::abs(up) / upward});
        }
    }
    return float(std::clamp(std::min(distance, double(kFarReach - flight.radius)), 0.5, double(kFarReach)));
}

namespace {

glm::vec3 onSphere(const FittedFlight& flight, double distance, double bearing, double elevation) {
    return flight.centre + glm::vec3(float(distance * std::cos(elevation) * std::cos(bearing)),
                                     float(distance * std::sin(elevation)),
                                     float(distance * std::cos(elevation) * std::sin(bearing)));
}

} // namespace

FlightPlace fittedPlaceAt(const FittedFlight& flight, double t, float speed, float aspect) {
    const glm::dvec3 start = glm::dvec3(kStartPosition) - glm::dvec3(flight.centre);
    // The starting place is far enough from the hall's centre that a wide model's far side would
    // lie past the far plane: the glide starts on its bearing, but no farther off than kFarReach
    // keeps the whole model.
    const double startDistance = std::min(glm::length(start), double(kFarReach - flight.radius));
    const double bearing = std::atan2(start.z, start.x);
    const double startElevation = glm::length(start) > 0.0 ? std::asin(start.y / glm::length(start)) : 0.0;
    t = std::max(t, 0.0);
    if (t < kGlideSeconds) {
        // The hall's approach, less a straight line that takes up what it leaves at 15 s.
        const double rate = speed / 6.0;
        const double left = std::exp(-t * rate) - std::exp(-kGlideSeconds * rate) * t / kGlideSeconds;
        const double distance = fittedDistance(flight, aspect, kFittedElevationFrom);
        return {onSphere(flight, distance + (startDistance - distance) * left, bearing,
                         kFittedElevationFrom + (startElevation - kFittedElevationFrom) * left),
                float(bearing)};
    }
    const double orbiting = t - kGlideSeconds;
    const double angle = bearing + kFittedOrbitSpeed * orbiting;
    const double rise = std::min(orbiting / 45.0, 1.0);
    const double elevation = kFittedElevationFrom + (kFittedElevationTo - kFittedElevationFrom) * rise;
    return {onSphere(flight, fittedDistance(flight, aspect, elevation), angle, elevation), float(angle)};
}

FlightView flyFitted(const FittedFlight& flight, glm::vec3& position, float& orbitAngle,
                     float& lastFlightTime, float startTime, double now, float speed, float aspect) {
    const double elapsed = now - double(startTime);
    const FlightPlace place = fittedPlaceAt(flight, elapsed, speed, aspect);
    position = place.position;
    orbitAngle = place.orbitAngle;
    lastFlightTime = float(now);
    return {flight.centre - position, glm::vec3(0.0f, 1.0f, 0.0f), kFittedFieldOfView,
            elapsed >= kGlideSeconds, false};
}

float aspectRatio(int width, int height, float fallback) {
    if (width <= 0 || height <= 0)
        return fallback;
    // Exact 16:9 sizes give 16.0f / 9.0f to the bit: both are the rounded quotient of 16 by 9.
    return float(width) / float(height);
}

glm::mat4 cameraProjection(float fieldOfViewDegrees, float aspect) {
    return glm::perspective(glm::radians(fieldOfViewDegrees), aspect, 0.1f, 10.0f);
}

namespace {

// The look direction as lookAt would see it, and whether lookAt can use it.
struct LookAxis {
    glm::vec3 centre;
    glm::vec3 forward; // unit; `heading` when there is no direction
    bool noDirection;
    bool alongUp;
};

LookAxis lookAxis(glm::vec3 position, glm::vec3 direction, glm::vec3 up, glm::vec3 heading) {
    LookAxis axis;
    axis.centre = position + direction;
    // What lookAt would normalise: the sum can swallow a tiny direction, so test after it.
    glm::vec3 forward = axis.centre - position;
    const float length = glm::length(forward);
    axis.noDirection = !(length > 1e-12f) || !std::isfinite(length);
    axis.forward = axis.noDirection ? heading : forward / length;

    // Within ~0.06 degrees of the up axis the side vector cross(forward, up) is noise or zero.
    axis.alongUp = glm::length(glm::cross(axis.forward, up)) < 1e-3f * glm::length(up);
    return axis;
}

} // namespace

glm::mat4 cameraView(glm::vec3 position, glm::vec3 direction, glm::vec3 up, glm::vec3 heading) {
    const LookAxis axis = lookAxis(position, direction, up, heading);
    if (!axis.noDirection && !axis.alongUp)
        return glm::lookAt(position, axis.centre, up);

    // Looking up, the screen's top is the way the camera faces turned back (and forward when
    // looking down): the limit of the ordinary view as the direction tilts onto the axis.
    const glm::vec3 safeUp = axis.alongUp ? -std::copysign(1.0f, glm::dot(axis.forward, up)) * heading : up;
    return glm::lookAt(glm::vec3(0.0f), axis.forward, safeUp) * glm::translate(glm::mat4(1.0f), -position);
}

bool viewFollowsHeading(glm::vec3 position, glm::vec3 direction, glm::vec3 up) {
    // With a direction the heading plays no part in the test; without one the answer is yes anyway.
    const LookAxis axis = lookAxis(position, direction, up, glm::vec3(0.0f, 0.0f, 1.0f));
    return axis.noDirection || axis.alongUp;
}

glm::vec3 orbitHeading(float orbitAngle) {
    return {-std::cos(orbitAngle), 0.0f, -std::sin(orbitAngle)};
}

glm::vec3 yawHeading(float horizontalAngle) {
    return {std::sin(horizontalAngle), 0.0f, std::cos(horizontalAngle)};
}

void writeDirectionLine(std::ostream& out, glm::vec3 direction, float horizontalAngle, float verticalAngle) {
    out << direction.x << "  " << direction.y << "  " << direction.z << "  " << horizontalAngle << "   "
        << verticalAngle;
}

} // namespace camera

} // namespace vantor
