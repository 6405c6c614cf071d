#version 330 core
// The night sky behind the building, for the pixels the G-buffer left empty (the depth test
// keeps this program off the covered ones): a glow at the horizon fading to a deep blue
// overhead, stars, and the moon with a halo, tone-mapped like the lit scene and sent to the
// bloom where it outshines it (the moon's disc).
// In: "skyRay" (eye to far plane through this pixel, world space).
// Out: 0 "fragColor" (sky colour), 1 "brightColor" (what blooms).

in vec3 skyRay;

out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

// Moonlight's direction and colour, as the lighting pass has them.
const vec3 moonDirection = vec3(-0.2085, 0.4965, 0.8424); // towards the moon, unit length
const vec3 moonColor = vec3(0.27, 0.32, 0.50);
// The sky's colour at the horizon, overhead and below it; the moon's disc; stars.
const vec3 skyHorizon = vec3(0.075, 0.085, 0.19);
const vec3 skyZenith = vec3(0.006, 0.012, 0.060);
const vec3 skyBelow = vec3(0.010, 0.011, 0.030);
const vec3 moonDisc = vec3(3.0, 3.0, 2.6);
const float starDensity = 0.0012; // share of star cells that hold a star
const float whitePoint = 4.0;
const float bloomThreshold = 1.5;

vec3 toneMap(vec3 c) {
    return c * (1.0 + c * (1.0 / (whitePoint * whitePoint))) / (1.0 + c);
}

// The night sky seen along `direction` (unit length).
vec3 skyColor(vec3 direction) {
    float up = direction.y;
    vec3 color = mix(skyHorizon, up > 0.0 ? skyZenith : skyBelow, sqrt(min(abs(up) * 2.5, 1.0)));
    // Stars: a few cells of a grid over direction space, each lit by a hash of its index.
    vec3 cell = floor(direction * 640.0);
    vec3 mixed = fract(cell * vec3(0.1031, 0.1030, 0.0973));
    mixed += dot(mixed, mixed.yzx + 33.33);
    float hash = fract((mixed.x + mixed.y) * mixed.z);
    float star = smoothstep(1.0 - starDensity, 1.0, hash) * smoothstep(-0.05, 0.2, up);
    color += vec3(0.8, 0.85, 1.0) * star;
    // The moon: a disc with a soft halo around it.
    float towardsMoon = max(dot(direction, moonDirection), 0.0);
    float halo = towardsMoon * towardsMoon;
    halo *= halo;
    halo *= halo;
    halo *= halo;
    color += moonColor * (0.12 * halo) + moonDisc * smoothstep(0.99955, 0.9997, towardsMoon);
    return color;
}

void main() {
    vec3 sky = skyColor(skyRay * inversesqrt(max(dot(skyRay, skyRay), 1e-20)));
    fragColor = vec4(sqrt(toneMap(sky)), 1.0);
    brightColor = vec4(sqrt(toneMap(max(sky - bloomThreshold, 0.0))), 1.0);
}
